#pragma once
// The gzip member layout (RFC 1952) as far as the reader needs it. Integers little-endian.
//
//  fixed header (10 bytes)
//   0 ID1 0x1F | 1 ID2 0x8B | 2 CM | 3 FLG | 4 MTIME (4) | 8 XFL | 9 OS
//  then, as FLG says: FEXTRA (XLEN (2) + XLEN bytes) | FNAME (zero-terminated) |
//  FCOMMENT (zero-terminated) | FHCRC (2)
//  the DEFLATE data
//  trailer (8 bytes): CRC32 (4) | ISIZE (4, the member's size modulo 2^32)
#include <cstddef>
#include <cstdint>

namespace kub::gzip {

inline constexpr std::uint8_t kId1 = 0x1F;
inline constexpr std::uint8_t kId2 = 0x8B;

inline constexpr std::size_t kFixedHeaderSize = 10;
inline constexpr std::size_t kTrailerSize = 8;

inline constexpr std::uint8_t kFlagHeaderCrc = 0x02;
inline constexpr std::uint8_t kFlagExtra = 0x04;
inline constexpr std::uint8_t kFlagName = 0x08;
inline constexpr std::uint8_t kFlagComment = 0x10;
inline constexpr std::uint8_t kFlagEncrypted = 0x20;

// Longest stored name read (one byte of it is the terminator's place) and comment skipped.
inline constexpr std::size_t kMaxNameBytes = 2048;
inline constexpr std::size_t kMaxCommentBytes = 8192;

struct FixedHeader {
    std::uint8_t id1 = 0, id2 = 0, cm = 0, flg = 0;
    std::uint32_t mtime = 0;
    std::uint8_t xfl = 0, os = 0;
};

}  // namespace kub::gzip
