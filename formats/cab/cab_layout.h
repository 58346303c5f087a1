#pragma once
// Cabinet structures as far as the reader needs them. All integers little-endian.
//
//  CFHEADER (36 bytes, then optional parts)
//   0 signature "MSCF" | 4 reserved1 (0) | 8 cbCabinet | 12 reserved2 (0) | 16 coffFiles
//  20 reserved3 (0)    | 24 versionMinor | 25 versionMajor | 26 cFolders | 28 cFiles | 30 flags
//  32 setID            | 34 iCabinet
//   with kFlagReservePresent: cbCFHeader (2) | cbCFFolder (1) | cbCFData (1) | cbCFHeader bytes
//   with kFlagPrevCabinet: szCabinetPrev, szDiskPrev (zero-terminated)
//   with kFlagNextCabinet: szCabinetNext, szDiskNext (zero-terminated)
//
//  CFFILE (16 bytes + zero-terminated name), coffFiles bytes from the header on
//   0 cbFile | 4 uoffFolderStart | 8 iFolder | 10 date | 12 time | 14 attribs | 16 szName
#include <cstddef>
#include <cstdint>

namespace kub::cab {

inline constexpr std::uint8_t kSignature[4] = {'M', 'S', 'C', 'F'};

namespace header {
inline constexpr std::size_t kSize = 36;
inline constexpr std::size_t kReserved1 = 4;
inline constexpr std::size_t kCbCabinet = 8;
inline constexpr std::size_t kReserved2 = 12;
inline constexpr std::size_t kCoffFiles = 16;
inline constexpr std::size_t kReserved3 = 20;
inline constexpr std::size_t kVersionMinor = 24;
inline constexpr std::size_t kVersionMajor = 25;
inline constexpr std::size_t kCFolders = 26;
inline constexpr std::size_t kCFiles = 28;
inline constexpr std::size_t kFlags = 30;
inline constexpr std::size_t kSetId = 32;
inline constexpr std::size_t kICabinet = 34;
// cbCFHeader, cbCFFolder and cbCFData in front of the reserved area.
inline constexpr std::size_t kReserveSizesSize = 4;
}  // namespace header

namespace file_entry {
inline constexpr std::size_t kSize = 16;
inline constexpr std::size_t kCbFile = 0;
inline constexpr std::size_t kUoffFolderStart = 4;
inline constexpr std::size_t kIFolder = 8;
inline constexpr std::size_t kDate = 10;
inline constexpr std::size_t kTime = 12;
inline constexpr std::size_t kAttribs = 14;
}  // namespace file_entry

// CFHEADER flags.
inline constexpr std::uint16_t kFlagPrevCabinet = 0x0001;
inline constexpr std::uint16_t kFlagNextCabinet = 0x0002;
inline constexpr std::uint16_t kFlagReservePresent = 0x0004;

// CFFILE iFolder values of files that cross a cabinet boundary.
inline constexpr std::uint16_t kFolderContinuedFromPrev = 0xFFFD;
inline constexpr std::uint16_t kFolderContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kFolderContinuedPrevAndNext = 0xFFFF;

// CFFILE attribs.
inline constexpr std::uint16_t kAttribDirectory = 0x10;
inline constexpr std::uint16_t kAttribNameIsUtf8 = 0x80;
inline constexpr std::uint16_t kAttribKept = 0x3F;

// Longest name and header string read, terminator included.
inline constexpr std::size_t kMaxNameBytes = 2048;
inline constexpr std::size_t kMaxHeaderStringBytes = 2048;
// How much of a further cabinet is searched for its header.
inline constexpr std::size_t kNextCabinetSearchBytes = 256 * 1024;

}  // namespace kub::cab
