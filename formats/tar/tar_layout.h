#pragma once
// The tar header block (512 bytes), POSIX ustar and GNU layouts, as far as the reader needs it.
// Numbers are octal text, or base-256 when the field's first byte is 0x80.
//
//    0 name (100)     | 100 mode (8)  | 108 uid (8)   | 116 gid (8)   | 124 size (12)
//  136 mtime (12)     | 148 chksum (8) | 156 typeflag | 157 linkname (100)
//  257 magic (6) + version (2): "ustar\0" "00" (POSIX) or "ustar  \0" (GNU)
//  265 uname (32)     | 297 gname (32) | 329 devmajor (8) | 337 devminor (8) | 345 prefix (155)
#include <cstddef>
#include <cstdint>

namespace kub::tar {

inline constexpr std::size_t kBlockSize = 512;

inline constexpr std::size_t kName = 0;
inline constexpr std::size_t kNameSize = 100;
inline constexpr std::size_t kMode = 100;
inline constexpr std::size_t kModeSize = 8;
inline constexpr std::size_t kUid = 108;
inline constexpr std::size_t kSize = 124;
inline constexpr std::size_t kSizeSize = 12;
inline constexpr std::size_t kMtime = 136;
inline constexpr std::size_t kMtimeSize = 12;
inline constexpr std::size_t kChecksum = 148;
inline constexpr std::size_t kChecksumSize = 8;
inline constexpr std::size_t kTypeFlag = 156;
inline constexpr std::size_t kMagic = 257;
inline constexpr std::size_t kPrefix = 345;
inline constexpr std::size_t kPrefixSize = 155;

// The numeric fields a strict header test requires to be octal text: mode to chksum.
inline constexpr std::size_t kNumericFieldsStart = 100;
inline constexpr std::size_t kNumericFieldsEnd = 156;

inline constexpr char kPosixMagic[6] = {'u', 's', 't', 'a', 'r', '\0'};
inline constexpr char kGnuMagic[8] = {'u', 's', 't', 'a', 'r', ' ', ' ', '\0'};
inline constexpr char kLongLinkName[] = "././@LongLink";

// The checksum field counts as eight blanks while the checksum is computed.
inline constexpr std::uint32_t kChecksumBlanks = 8 * ' ';

inline constexpr std::uint32_t kModeDirectory = 040000;

inline constexpr char kTypeHardLink = '1';
inline constexpr char kTypeSymLink = '2';
inline constexpr char kTypeDirectory = '5';
inline constexpr char kTypeGnuDumpDir = 'D';
inline constexpr char kTypeGnuLongLink = 'K';
inline constexpr char kTypeGnuLongName = 'L';
inline constexpr char kTypeGnuSparse = 'S';
inline constexpr char kTypePaxExtended = 'x';
inline constexpr char kTypePaxGlobal = 'g';

// Long-name data kept, and long-name headers followed in a row.
inline constexpr std::size_t kMaxLongNameBytes = 2047;
inline constexpr int kLongNameNestingLimit = 5;

}  // namespace kub::tar
