#include <windows.h>

#include "common/os/os_process.h"

namespace kub::os {

std::uint32_t current_process_id() { return ::GetCurrentProcessId(); }

}  // namespace kub::os
