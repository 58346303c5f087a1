#pragma once
// Variable-length integers of generation-3 KUB headers: little-endian groups of seven bits, bit 7
// set on every byte but the last.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/byte_reader.h"
#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

// Decodes the vint at `offset`. False when it runs past the bytes or past kMaxVintBytes; `length`
// then holds the bytes examined. Groups beyond 64 bits are dropped.
inline bool decode_vint(std::span<const std::uint8_t> bytes, std::size_t offset,
                        std::uint64_t& value, std::size_t& length) {
    value = 0;
    length = 0;
    while (offset < bytes.size() && bytes.size() - offset > length && length < kMaxVintBytes) {
        std::uint8_t b = bytes[offset + length];
        unsigned shift = static_cast<unsigned>(7 * length);
        if (shift < 64) value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        ++length;
        if ((b & 0x80) == 0) return true;
    }
    value = 0;
    return false;
}

// A vint at the cursor; one that does not end inside the bytes reads as zero and marks the overrun.
inline std::uint64_t read_vint(ByteReader& reader) {
    std::uint64_t value = 0;
    std::size_t length = 0;
    bool ok = decode_vint(reader.data(), reader.position(), value, length);
    if (!ok) {
        reader.skip(reader.remaining() + 1);  // leave the cursor past the end, overrun set
        return 0;
    }
    reader.skip(length);
    return value;
}

}  // namespace kub::kubfmt
