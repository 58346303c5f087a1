#include "common/os/os_memory_protection.h"

namespace kub::os {

MemoryProtectionResult protect_process_memory(void*, std::size_t, bool) {
    return MemoryProtectionResult::kUnavailable;
}

}  // namespace kub::os
