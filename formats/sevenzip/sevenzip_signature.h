#pragma once
// The 7z signature header starts with six fixed bytes:
//
//   offset 0  '7' 'z' 0xBC 0xAF 0x27 0x1C   signature
//   offset 6  version (2 bytes), start header CRC, next header offset, size and CRC
//
// The bridge only finds the signature; everything behind it is the outside library's business.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace kub::sevenzip {

inline constexpr std::array<std::uint8_t, 6> kSignature = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};

// The first position of the signature in the head, looked for at positions 0 up to
// head.size() - 7 (a signature must leave at least the version byte after it); none when absent.
std::optional<std::uint32_t> find_signature(std::span<const std::uint8_t> head);

}  // namespace kub::sevenzip
