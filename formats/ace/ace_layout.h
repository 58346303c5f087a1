#pragma once
// ACE blocks as far as the reader needs them. All integers little-endian.
//
//  every block
//   0 header CRC: low 16 bits of the CRC-32 register (from 0xFFFFFFFF, not inverted) over the
//     header bytes from 4 on | 2 header size (bytes from 4 on) | 4 type | 5 flags (2)
//   7 with kFlagAddSize: the size of the data that follows the header (4)
//
//  main header (type 0)
//   7 "**ACE**" | 14 version needed | 15 version made by | 16 host | 17 volume number
//  18 creation time (4) | 22 reserved (8) | 30 authenticity size (1) and text
//
//  file header (type 1)
//   7 packed size | 11 original size | 15 DOS date-time | 19 attributes | 23 data CRC-32 register
//  27 technical information | 31 reserved (2) | 33 name length (2) | 35 name (OEM code page)
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kub::ace {

inline constexpr std::string_view kSignature = "**ACE**";

namespace block {
inline constexpr std::size_t kCrc = 0;
inline constexpr std::size_t kSize = 2;
inline constexpr std::size_t kType = 4;
inline constexpr std::size_t kFlags = 5;
inline constexpr std::size_t kAddSize = 7;
// The CRC and size in front of what the size counts.
inline constexpr std::size_t kPrefixSize = 4;
}  // namespace block

namespace main_header {
inline constexpr std::size_t kSignature = 7;
inline constexpr std::size_t kVersionNeeded = 14;
inline constexpr std::size_t kVersionMadeBy = 15;
inline constexpr std::size_t kHost = 16;
inline constexpr std::size_t kVolumeNumber = 17;
inline constexpr std::size_t kCreationTime = 18;
}  // namespace main_header

namespace file_header {
inline constexpr std::size_t kPackedSize = 7;
inline constexpr std::size_t kOriginalSize = 11;
inline constexpr std::size_t kDateTime = 15;
inline constexpr std::size_t kAttributes = 19;
inline constexpr std::size_t kCrc32 = 23;
inline constexpr std::size_t kNameLength = 33;
inline constexpr std::size_t kName = 35;
// The smallest header size, and what the size counts besides the name.
inline constexpr std::size_t kMinimumSize = 32;
inline constexpr std::size_t kSizeWithoutName = 31;
}  // namespace file_header

inline constexpr std::uint8_t kTypeMain = 0;
inline constexpr std::uint8_t kTypeFile = 1;

// Block flags.
inline constexpr std::uint16_t kFlagAddSize = 0x0001;
// Main header flags.
inline constexpr std::uint16_t kMainComment = 0x0002;
inline constexpr std::uint16_t kMainMultiVolume = 0x0800;
inline constexpr std::uint16_t kMainRecovery = 0x2000;
inline constexpr std::uint16_t kMainLocked = 0x4000;
inline constexpr std::uint16_t kMainSolid = 0x8000;
// File header flags.
inline constexpr std::uint16_t kFileSplitBefore = 0x1000;
inline constexpr std::uint16_t kFileSplitAfter = 0x2000;
inline constexpr std::uint16_t kFileEncrypted = 0x4000;

// Longest name kept, in bytes.
inline constexpr std::size_t kMaxNameBytes = 2047;
// How much of the file is searched for the main header.
inline constexpr std::size_t kMainHeaderSearchBytes = 256 * 1024;

inline constexpr std::uint32_t kDictSizeKB = 1024;

// Host system names by the main header's host byte.
inline constexpr std::u16string_view kHostNames[] = {
    u"MS-DOS", u"OS/2", u"Win32", u"Unix", u"Mac-OS", u"Win NT",
    u"Primos", u"Apple GS", u"Atari", u"VAX VMS", u"Amiga", u"Next",
};

}  // namespace kub::ace
