#pragma once
// The system's encryption of memory for the running process only, where the system has it.
#include <cstddef>

namespace kub::os {

enum class MemoryProtectionResult {
    kDone,
    kFailed,
    kUnavailable,  // the system offers no such function; callers scramble the bytes themselves
};

// Encrypts or decrypts `size` bytes in place (size a multiple of 16). The system functions are
// looked up once per process.
MemoryProtectionResult protect_process_memory(void* data, std::size_t size, bool encrypt);

}  // namespace kub::os
