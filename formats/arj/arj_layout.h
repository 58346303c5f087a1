#pragma once
// ARJ headers as far as the reader needs them. All integers little-endian.
//
//   0 header id 0xEA60 | 2 basic header size (0: end of archive; at most 2600)
//   4 basic header (size bytes) | 4 + size: CRC-32 of the basic header
//   then extended headers: size (2), that many bytes, CRC-32 (4); a size of 0 ends them
//
//  basic header (offsets within it)
//   0 first header size (where the name starts) | 1 archiver version | 2 version needed
//   3 host system | 4 flags | 5 method | 6 file type | 7 reserved | 8 DOS date-time
//  12 compressed size | 16 original size | 20 file CRC-32 | 24 file name position
//  26 access mode | 28 host data | 30 extended file position (with kFlagExtFile)
//  first header size: zero-terminated name, then zero-terminated comment
#include <cstddef>
#include <cstdint>

namespace kub::arj {

inline constexpr std::uint8_t kIdLow = 0x60;
inline constexpr std::uint8_t kIdHigh = 0xEA;
inline constexpr std::size_t kIdSize = 2;
inline constexpr std::size_t kSizeFieldSize = 2;
inline constexpr std::size_t kCrcSize = 4;
inline constexpr std::size_t kMaxBasicHeaderSize = 2600;

namespace basic {
inline constexpr std::size_t kFirstHeaderSize = 0;
inline constexpr std::size_t kArchiverVersion = 1;
inline constexpr std::size_t kVersionNeeded = 2;
inline constexpr std::size_t kHostSystem = 3;
inline constexpr std::size_t kFlags = 4;
inline constexpr std::size_t kMethod = 5;
inline constexpr std::size_t kFileType = 6;
inline constexpr std::size_t kDateTime = 8;
inline constexpr std::size_t kCompressedSize = 12;
inline constexpr std::size_t kOriginalSize = 16;
inline constexpr std::size_t kFileCrc = 20;
inline constexpr std::size_t kAccessMode = 26;
inline constexpr std::size_t kExtendedPosition = 30;
}  // namespace basic

// Offsets from the header id of the bytes a plausible main header has, for the search in the
// head of a file: the high byte of the size, version needed, host system, security version
// and file type.
namespace candidate {
inline constexpr std::size_t kSizeHigh = 3;
inline constexpr std::size_t kVersionNeeded = 6;
inline constexpr std::size_t kHostSystem = 7;
inline constexpr std::size_t kSecurityVersion = 9;
inline constexpr std::size_t kFileType = 10;
inline constexpr std::size_t kBytesLooked = 11;
}  // namespace candidate

// Flags.
inline constexpr std::uint8_t kFlagGarbled = 0x01;
inline constexpr std::uint8_t kFlagVolume = 0x04;   // continued in the next volume
inline constexpr std::uint8_t kFlagExtFile = 0x08;  // an extended file position follows
inline constexpr std::uint8_t kFlagPathSlash = 0x10;

// File types.
inline constexpr std::uint8_t kTypeMainHeader = 2;
inline constexpr std::uint8_t kTypeDirectory = 3;

// How far the head and the file are searched for the main header.
inline constexpr std::size_t kHeadSearchLimit = 0x1FFF5;
inline constexpr std::size_t kFileSearchLimit = 0x20000;

// Longest name and comment kept, in bytes.
inline constexpr std::size_t kMaxNameBytes = 512;
inline constexpr std::size_t kMaxCommentBytes = 2048;

inline constexpr std::uint32_t kDictSizeKB = 32;

}  // namespace kub::arj
