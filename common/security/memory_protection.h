#pragma once
// Protection of secrets held in memory: the system's same-process encryption where it exists,
// otherwise a reversible scrambling that at least keeps them out of plain sight in memory dumps.
#include <cstddef>

namespace kub {

// Protection works on whole blocks of this many bytes; a tail shorter than a block stays as it is.
inline constexpr std::size_t kProtectionBlockSize = 16;

// Encrypts (encrypt = true) or decrypts the bytes in place. With the system functions, the first
// size rounded down to kProtectionBlockSize bytes are processed and a failure is reported as
// message 1. Without them every byte is scrambled, and the same call both scrambles and restores.
void protect_memory(void* data, std::size_t size, bool encrypt);

// The scrambling used without the system functions: byte i is combined by exclusive or with the
// low 8 bits of (process id + i + 75).
void scramble_memory(void* data, std::size_t size);

}  // namespace kub
