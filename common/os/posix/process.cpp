#include <unistd.h>

#include "common/os/os_process.h"

namespace kub::os {

std::uint32_t current_process_id() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace kub::os
