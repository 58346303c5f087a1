#pragma once
// The standard reflected CRC-32 (polynomial 0xEDB88320) that archive headers and data carry.
#include <cstddef>
#include <cstdint>

namespace kub {

// Continues a CRC over more bytes. Callers start from 0xFFFFFFFF and invert the final value.
std::uint32_t crc32_update(std::uint32_t crc, const void* data, std::size_t size);

// The finished CRC-32 of one block of bytes.
inline std::uint32_t crc32(const void* data, std::size_t size) {
    return ~crc32_update(0xFFFFFFFFu, data, size);
}

}  // namespace kub
