#include "common/security/memory_protection.h"

#include <cstdint>

#include "common/error_state.h"
#include "common/os/os.h"

namespace kub {

void scramble_memory(void* data, std::size_t size) {
    auto* bytes = static_cast<std::uint8_t*>(data);
    std::uint32_t key = os::current_process_id() + 75;
    for (std::size_t i = 0; i < size; ++i) bytes[i] ^= static_cast<std::uint8_t>(key + i);
}

void protect_memory(void* data, std::size_t size, bool encrypt) {
    std::size_t whole_blocks = size - size % kProtectionBlockSize;
    switch (os::protect_process_memory(data, whole_blocks, encrypt)) {
        case os::MemoryProtectionResult::kDone:
            break;
        case os::MemoryProtectionResult::kFailed:
            ErrorState::report(
                kMsgText, encrypt ? u"CryptProtectMemory failed" : u"CryptUnprotectMemory failed");
            break;
        case os::MemoryProtectionResult::kUnavailable:
            scramble_memory(data, size);
            break;
    }
}

}  // namespace kub
