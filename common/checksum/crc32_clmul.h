#pragma once
// CRC-32 by carry-less multiplication (x86-64 processors with PCLMULQDQ): the data is folded
// 64 bytes at a time, then reduced to the 32-bit register. Used by crc32_update for long inputs
// when the processor has the instructions.
#include <cstddef>
#include <cstdint>

namespace kub {

// True when this build and this processor can run crc32_update_clmul, and it is allowed.
bool crc32_clmul_available();

// Tests turn the carry-less path off to check the table path on the same processor.
void crc32_allow_clmul(bool allowed);

// Continues a CRC register over `size` bytes: at least 64, a multiple of 16.
std::uint32_t crc32_update_clmul(std::uint32_t crc, const unsigned char* data, std::size_t size);

}  // namespace kub
