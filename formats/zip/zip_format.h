#pragma once
// Record layouts of the ZIP format as far as the reader needs them. All integers little-endian.
//
//  local file header (30 bytes + name + extra)
//   0 "PK\3\4" | 4 version needed | 6 flags | 8 method | 10 DOS time+date | 14 crc32
//  18 compressed size | 22 uncompressed size | 26 name length | 28 extra length
//
//  central directory header (46 bytes + name + extra + comment)
//   0 "PK\1\2" | 4 version made by (5: host system) | 6 version needed | 8 flags | 10 method
//  12 DOS time+date | 16 crc32 | 20 compressed size | 24 uncompressed size | 28 name length
//  30 extra length | 32 comment length | 34 disk | 36 internal attrs | 38 external attrs
//  42 local header offset
//
//  end of central directory (22 bytes + comment)
//   0 "PK\5\6" | 4 disk | 6 cd disk | 8 entries on this disk | 10 entries | 12 cd size
//  16 cd offset | 20 comment length
//
//  zip64 end of central directory locator (20 bytes)
//   0 "PK\6\7" | 4 disk of the zip64 end record | 8 offset of the zip64 end record | 16 disks
//
//  zip64 end of central directory record (56 bytes + extensible data)
//   0 "PK\6\6" | 4 record size | 12 made by, needed | 16 disk | 20 cd disk | 24 entries on disk
//  32 entries | 40 cd size | 48 cd offset
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/byte_reader.h"

namespace kub::zip {

inline constexpr std::uint32_t kLocalHeaderSig = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSig = 0x02014B50;
inline constexpr std::uint32_t kEndRecordSig = 0x06054B50;
inline constexpr std::uint32_t kZip64EndRecordSig = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSig = 0x07064B50;
inline constexpr std::uint32_t kSpanningMarkerSig = 0x08074B50;

namespace local {
inline constexpr std::size_t kSize = 30;
inline constexpr std::size_t kVersionNeeded = 4;
inline constexpr std::size_t kFlags = 6;
inline constexpr std::size_t kMethod = 8;
inline constexpr std::size_t kDosTime = 10;
inline constexpr std::size_t kCrc32 = 14;
inline constexpr std::size_t kCompressedSize = 18;
inline constexpr std::size_t kUncompressedSize = 22;
inline constexpr std::size_t kNameLength = 26;
inline constexpr std::size_t kExtraLength = 28;
}  // namespace local

namespace central {
inline constexpr std::size_t kSize = 46;
inline constexpr std::size_t kVersionMadeBy = 4;
inline constexpr std::size_t kHostSystem = 5;
inline constexpr std::size_t kVersionNeeded = 6;
inline constexpr std::size_t kFlags = 8;
inline constexpr std::size_t kDosTime = 12;
inline constexpr std::size_t kCrc32 = 16;
inline constexpr std::size_t kCompressedSize = 20;
inline constexpr std::size_t kUncompressedSize = 24;
inline constexpr std::size_t kNameLength = 28;
inline constexpr std::size_t kExtraLength = 30;
inline constexpr std::size_t kCommentLength = 32;
inline constexpr std::size_t kExternalAttributes = 38;
}  // namespace central

namespace end_record {
inline constexpr std::size_t kSize = 22;
inline constexpr std::size_t kEntriesOnDisk = 8;
inline constexpr std::size_t kCdSize = 12;
inline constexpr std::size_t kCdOffset = 16;
inline constexpr std::size_t kCommentLength = 20;
}  // namespace end_record

namespace zip64_locator {
inline constexpr std::size_t kSize = 20;
inline constexpr std::size_t kEndRecordOffset = 8;
}  // namespace zip64_locator

namespace zip64_end_record {
inline constexpr std::size_t kSize = 56;
inline constexpr std::size_t kCdSize = 40;
inline constexpr std::size_t kCdOffset = 48;
}  // namespace zip64_end_record

// General purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

// Extra field block ids.
inline constexpr std::uint16_t kExtraZip64 = 0x0001;
inline constexpr std::uint16_t kExtraNtfs = 0x000A;
inline constexpr std::uint16_t kExtraUnicodePath = 0x7075;

// Host systems (high byte of "version made by").
inline constexpr unsigned kHostDos = 0;
inline constexpr unsigned kHostUnix = 3;
inline constexpr unsigned kHostOs2 = 6;
inline constexpr unsigned kHostTops20 = 10;
inline constexpr unsigned kHostWindows = 11;

// 32-bit fields holding this value defer to the zip64 structures.
inline constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFF;
inline constexpr std::uint16_t kZip64Marker16 = 0xFFFF;

// Longest item name kept, in bytes and in UTF-16 units.
inline constexpr std::size_t kMaxNameBytes = 2047;

inline std::uint32_t signature_at(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return le32(bytes, offset);
}

}  // namespace kub::zip
