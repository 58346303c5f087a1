#pragma once
// LHA/LZH member headers as far as the reader needs them. All integers little-endian.
//
//  common first 21 bytes
//   0 level 0/1: header size (bytes from 2 on, without the 2 bytes that follow the basic header)
//     level 2: total header size, low byte
//   1 level 0/1: checksum (sum modulo 256 of the header-size bytes from 2 on)
//     level 2: total header size, high byte
//   2 method id "-lh?-" ("-lhd-": a directory) | 7 packed size | 11 original size
//  15 time (levels 0/1: DOS date and time; level 2: Unix seconds) | 19 attribute | 20 level
//
//  level 0: 21 name length | 22 name | [CRC-16 (2) | OS id (1) | extension bytes]
//  level 1: 21 name length | 22 name | CRC-16 (2) | OS id (1) | [extra] | first extended size (2)
//           and the extended headers after it in the file (their bytes count in the packed size)
//  level 2: 21 CRC-16 (2) | 23 OS id | 24 first extended size (2) | extended headers
//
//  extended header: size (2, in front of it) then type (1) | data (size - 3) | next size (2)
#include <cstddef>
#include <cstdint>

namespace kub::lzh {

namespace header {
inline constexpr std::size_t kCommonSize = 21;
inline constexpr std::size_t kSize = 0;
inline constexpr std::size_t kChecksum = 1;
inline constexpr std::size_t kMethod = 2;
inline constexpr std::size_t kMethodSize = 5;
inline constexpr std::size_t kPackedSize = 7;
inline constexpr std::size_t kOriginalSize = 11;
inline constexpr std::size_t kTime = 15;
inline constexpr std::size_t kAttribute = 19;
inline constexpr std::size_t kLevel = 20;
// Levels 0 and 1.
inline constexpr std::size_t kNameLength = 21;
inline constexpr std::size_t kName = 22;
// Level 2.
inline constexpr std::size_t kLevel2Crc = 21;
inline constexpr std::size_t kLevel2OsId = 23;
inline constexpr std::size_t kLevel2FirstExtendedSize = 24;
}  // namespace header

// Bytes of a level 0/1 header that follow its header-size count: the two in front of it.
inline constexpr std::size_t kSizeFieldsBytes = 2;
// Level 0: what follows the name, counted as header size - name length (see the reader).
inline constexpr std::size_t kLevel0NoCrc = 20;
inline constexpr std::size_t kLevel0WithCrc = 22;
inline constexpr std::size_t kLevel0WithOsId = 23;
inline constexpr std::size_t kLevel0UnixExtensionBytes = 11;
// Level 1: header size - name length without extra bytes.
inline constexpr std::size_t kLevel1Plain = 25;

// Extended header types.
inline constexpr std::uint8_t kExtFileName = 0x01;
inline constexpr std::uint8_t kExtDirectoryName = 0x02;
inline constexpr std::uint8_t kExtAttribute = 0x40;
// The smallest extended header: type and the next size.
inline constexpr std::size_t kExtMinimumSize = 3;
// Separator of directory name parts besides "\".
inline constexpr std::uint8_t kDirectorySeparator = 0xFF;

// OS ids whose attribute extension is taken (MS-DOS and Human68K), and the Unix one.
inline constexpr std::uint8_t kOsMsDos = 'M';
inline constexpr std::uint8_t kOsHuman68k = 'H';
inline constexpr std::uint8_t kOsUnix = 'U';

// Headers must be smaller than this; the headers of one member (with a level 1 header's
// extended headers) must fit the header buffer.
inline constexpr std::size_t kMaxHeaderSize = 4096;
inline constexpr std::size_t kHeaderBufferSize = 6 * 1024;
// Names and directory names must be shorter than this.
inline constexpr std::size_t kMaxNameBytes = 2048;

inline constexpr std::uint32_t kDictSizeKB = 8;

}  // namespace kub::lzh
