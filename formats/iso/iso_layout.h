#pragma once
// ISO 9660 structures as far as the reader needs them. Every image sector is 2048 bytes; the
// volume descriptors start at sector 16.
//
// Volume descriptor (2048 bytes):
//    0 type (1: primary, 2: supplementary, 255: terminator) | 1 "CD001" | 6 version (1) | 7 zero
//   88 escape sequences (supplementary; Joliet: '%' '/' then '@', 'C' or 'E')
//  128 logical block size (LE 2, BE 2) | 132 path table size (LE 4, BE 4)
//  140 location of the little-endian path table (4, in sectors)
//
// Path table record: 0 identifier length | 1 extended attribute length | 2 extent (LE 4)
//   6 parent directory number (LE 2, 1-based) | 8 identifier | a pad byte when the length is odd
//
// Directory record: 0 length | 2 extent (LE 4) | 10 data length (LE 4)
//   18 recording date: years since 1900, month, day, hour, minute, second, zone (ignored)
//   25 flags (bit 0 hidden, bit 1 directory) | 32 identifier length | 33 identifier
#include <cstddef>
#include <cstdint>

namespace kub::iso {

inline constexpr std::size_t kSectorSize = 2048;
inline constexpr std::size_t kFirstDescriptorOffset = 16 * kSectorSize;  // 32768
// Detection needs the first descriptor and the one after it.
inline constexpr std::size_t kMinimumHead = kFirstDescriptorOffset + kSectorSize;  // 34816
inline constexpr int kMaxDescriptorsScanned = 16;

inline constexpr std::size_t kVdType = 0;
inline constexpr std::size_t kVdStandardId = 1;
inline constexpr std::size_t kVdVersion = 6;
inline constexpr std::size_t kVdReserved = 7;
inline constexpr std::size_t kVdEscapeSequences = 88;
inline constexpr std::size_t kVdLogicalBlockSize = 128;
inline constexpr std::size_t kVdPathTableSize = 132;
inline constexpr std::size_t kVdPathTableLocation = 140;

inline constexpr std::uint8_t kVdPrimary = 1;
inline constexpr std::uint8_t kVdSupplementary = 2;
inline constexpr char kStandardId[5] = {'C', 'D', '0', '0', '1'};

inline constexpr std::size_t kPtIdentifierLength = 0;
inline constexpr std::size_t kPtExtent = 2;
inline constexpr std::size_t kPtParent = 6;
inline constexpr std::size_t kPtIdentifier = 8;
inline constexpr std::size_t kPtFixedSize = 8;

inline constexpr std::size_t kDrLength = 0;
inline constexpr std::size_t kDrExtent = 2;
inline constexpr std::size_t kDrDataLength = 10;
inline constexpr std::size_t kDrRecordingDate = 18;
inline constexpr std::size_t kDrFlags = 25;
inline constexpr std::size_t kDrIdentifierLength = 32;
inline constexpr std::size_t kDrIdentifier = 33;

inline constexpr std::uint8_t kFlagHidden = 0x01;
inline constexpr std::uint8_t kFlagDirectory = 0x02;

// Directory paths are built from at most this many ancestors.
inline constexpr int kMaxPathLevels = 128;
// Names and paths in units, terminator excluded; identifiers in bytes.
inline constexpr std::size_t kMaxPathUnits = 2047;
inline constexpr std::size_t kMaxIdentifierBytes = 2047;

}  // namespace kub::iso
