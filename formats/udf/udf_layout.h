#pragma once
// UDF volume and file structures (ECMA-167 as profiled by UDF 1.02 to 2.60), as far as the reader
// needs them. All integers little-endian; sectors of 2048 bytes for the volume structures, the
// logical volume's block size inside partitions.
//
// Descriptor tag (16 bytes): 0 identifier (2) | 2 version (2) | 4 checksum (1) | 5 reserved
//   6 serial (2) | 8 CRC (2) | 10 CRC length (2) | 12 location (4)
// Long allocation descriptor (16): 0 extent length (4; top two bits the extent kind)
//   4 block (4) | 8 partition reference (2) | 10 implementation use (6)
// Short allocation descriptor (8): 0 extent length (4) | 4 block (4)
#include <cstddef>
#include <cstdint>

namespace kub::udf {

inline constexpr std::size_t kSectorSize = 2048;
inline constexpr std::size_t kMinimumHead = 34816;
inline constexpr std::size_t kTagSize = 16;

// Tag fields.
inline constexpr std::size_t kTagIdentifier = 0;
inline constexpr std::size_t kTagChecksum = 4;
inline constexpr std::size_t kTagCrc = 8;
inline constexpr std::size_t kTagCrcLength = 10;

// Tag identifiers.
inline constexpr std::uint16_t kIdSparingTable = 0;
inline constexpr std::uint16_t kIdPrimaryVolume = 1;
inline constexpr std::uint16_t kIdAnchor = 2;
inline constexpr std::uint16_t kIdVolumePointer = 3;
inline constexpr std::uint16_t kIdPartition = 5;
inline constexpr std::uint16_t kIdLogicalVolume = 6;
inline constexpr std::uint16_t kIdTerminating = 8;
inline constexpr std::uint16_t kIdFileSet = 256;
inline constexpr std::uint16_t kIdFileIdentifier = 257;
inline constexpr std::uint16_t kIdAllocationExtent = 258;
inline constexpr std::uint16_t kIdFileEntry = 261;
inline constexpr std::uint16_t kIdExtendedFileEntry = 266;

// Anchor volume descriptor pointer: main and reserve sequence extents (length, location).
inline constexpr std::size_t kAnchorMainExtent = 16;
inline constexpr std::size_t kAnchorReserveExtent = 24;
// Anchor places tried, in this order: 256, last - 256, last, 512.
inline constexpr std::uint64_t kAnchorBlock = 256;
inline constexpr std::uint64_t kLateAnchorBlock = 512;

// Volume descriptor sequence number, shared by the primary, pointer, partition and logical
// volume descriptors.
inline constexpr std::size_t kVdsNumber = 16;
// Volume descriptor pointer: the next extent of the sequence (length, location).
inline constexpr std::size_t kVdpNextExtent = 20;

// Partition descriptor.
inline constexpr std::size_t kPdNumber = 22;
inline constexpr std::size_t kPdContents = 24;  // entity identifier: flags, then "+NSR02"/"+NSR03"
inline constexpr std::size_t kPdStart = 188;
inline constexpr std::size_t kPdLength = 192;

// Logical volume descriptor.
inline constexpr std::size_t kLvdCharset = 20;  // 64 bytes: type, then the set's name
inline constexpr std::size_t kLvdBlockSize = 212;
inline constexpr std::size_t kLvdDomainSuffix = 240;  // first two bytes: UDF revision
inline constexpr std::size_t kLvdFileSetLocation = 248;
inline constexpr std::size_t kLvdMapTableLength = 264;
inline constexpr std::size_t kLvdMapCount = 268;
inline constexpr std::size_t kLvdMaps = 440;
inline constexpr char kOstaCompressedUnicode[24] = "OSTA Compressed Unicode";

// Partition maps.
inline constexpr std::size_t kMapType = 0;
inline constexpr std::size_t kMapLength = 1;
inline constexpr std::size_t kMap1PartitionNumber = 4;
inline constexpr std::size_t kMap2Identifier = 5;  // 23 bytes of the entity identifier at 4
inline constexpr std::size_t kMap2PartitionNumber = 38;
inline constexpr std::size_t kMapPacketLength = 40;
inline constexpr std::size_t kMapSparingTableCount = 42;
inline constexpr std::size_t kMapSparingTables = 48;
inline constexpr std::size_t kMapMetadataFile = 40;
inline constexpr std::size_t kMapSize = 64;
inline constexpr std::size_t kMapIdentifierCompared = 23;
inline constexpr char kVirtualPartition[] = "*UDF Virtual Partition";
inline constexpr char kSparablePartition[] = "*UDF Sparable Partition";
inline constexpr char kMetadataPartition[] = "*UDF Metadata Partition";

// Sparing table.
inline constexpr std::size_t kStReallocationLength = 48;
inline constexpr std::size_t kStEntries = 56;

// Virtual allocation table: the trailer of the old (1.50) table.
inline constexpr std::size_t kVatTrailerSize = 36;
inline constexpr char kVatIdentifier[] = "*UDF Virtual Alloc Tbl";
inline constexpr std::size_t kVatIdentifierCompared = 22;
inline constexpr std::uint8_t kFileTypeVat = 248;
inline constexpr int kVatSearchBlocks = 15;

// File set descriptor.
inline constexpr std::size_t kFsdRootDirectory = 400;
inline constexpr std::size_t kFsdNextExtent = 448;

// File entry and extended file entry.
inline constexpr std::size_t kFeStrategyType = 20;
inline constexpr std::size_t kFeFileType = 27;
inline constexpr std::size_t kFeIcbFlags = 34;
inline constexpr std::size_t kFeInformationLength = 56;
inline constexpr std::size_t kFeModificationTime = 84;
inline constexpr std::size_t kEfeModificationTime = 92;
inline constexpr std::size_t kFeExtendedAttributesLength = 168;
inline constexpr std::size_t kEfeExtendedAttributesLength = 208;
inline constexpr std::size_t kFeFixedSize = 176;
inline constexpr std::size_t kEfeFixedSize = 216;
inline constexpr std::uint16_t kStrategyDirect = 4;
inline constexpr unsigned kAdShort = 0;
inline constexpr unsigned kAdLong = 1;
inline constexpr unsigned kAdExtended = 2;
inline constexpr unsigned kAdEmbedded = 3;

// File identifier descriptor.
inline constexpr std::size_t kFidCharacteristics = 18;
inline constexpr std::size_t kFidIdentifierLength = 19;
inline constexpr std::size_t kFidEntry = 20;
inline constexpr std::size_t kFidImplementationUseLength = 36;
inline constexpr std::size_t kFidFixedSize = 38;
inline constexpr std::uint8_t kFidHidden = 0x01;
inline constexpr std::uint8_t kFidDirectory = 0x02;
inline constexpr std::uint8_t kFidDeleted = 0x04;
inline constexpr std::uint8_t kFidParent = 0x08;

inline constexpr std::uint32_t kExtentLengthMask = 0x3FFFFFFF;
// Extent kind (top two bits) of a pointer to the next extent of allocation descriptors.
inline constexpr std::uint32_t kExtentNextDescriptors = 3;
// Allocation extent descriptor (where such a pointer leads): 16 previous extent's location (4)
//   20 length of the allocation descriptors (4) | 24 the descriptors
inline constexpr std::size_t kAedDescriptorsLength = 20;
inline constexpr std::size_t kAedDescriptors = 24;

// Limits of the walk.
inline constexpr int kMaxDepth = 255;
inline constexpr std::size_t kMaxPartitionDescriptors = 2;
// Descriptors walked in the volume descriptor sequences (pointer chains included), and file set
// descriptors followed: a loop of pointers ends the walk.
inline constexpr int kMaxSequenceDescriptors = 1024;
inline constexpr int kMaxFileSetDescriptors = 1024;
// Further extents of allocation descriptors followed for one file: a loop of them ends the walk.
// 4096 blocks of descriptors describe far more extents than any real file has.
inline constexpr int kMaxAllocationExtents = 4096;
inline constexpr std::size_t kDirectoryPiece = 65536;
inline constexpr std::size_t kMaxNameUnits = 2047;

}  // namespace kub::udf
