#pragma once
// Processes and loadable modules.
#include <cstdint>

namespace kub::os {

// Identifier of the running process.
std::uint32_t current_process_id();

}  // namespace kub::os
