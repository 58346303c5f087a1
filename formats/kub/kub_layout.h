#pragma once
// The on-disk layout of KUB archives: signatures, the three header generations, their flags and
// the limits the reader keeps to. All integers are little-endian.
//
// Generation 1, at the archive start (7 bytes) and then one header per item (21 fixed bytes):
//
//   main   +0 marker "KE~^"  +4 header_size:u16  +6 flags:u8
//   file   +0 packed:u32  +4 unpacked:u32  +8 checksum:u16  +10 header_size:u16
//          +12 dos_time:u32  +16 attributes:u8  +17 flags:u8  +18 unpack_version:u8
//          +19 name_length:u8  +20 method:u8  +21 name (OEM code page)
//
// Generation 2, every block starts with the same 7 bytes:
//
//   +0 checksum:u16  +2 type:u8  +3 flags:u16  +5 header_size:u16  [+7 data_size:u32]
//
//   file and service blocks continue at +7 with
//   packed:u32 unpacked:u32 host:u8 crc:u32 dos_time:u32 unpack_version:u8 method:u8
//   name_size:u16 attributes:u32 [high_packed:u32 high_unpacked:u32] name [salt:8] [ext_times]
//
// Generation 3, every header:
//
//   crc32:u32  size:vint  type:vint  flags:vint  [extra_size:vint]  [data_size:vint]
//   type-specific fields ... extra area (the header's last extra_size bytes)
//
// where the CRC covers everything from the size field to the end of the header and the size
// counts the bytes after the size field.
#include <cstddef>
#include <cstdint>

namespace kub::kubfmt {

// Signatures.
inline constexpr std::uint8_t kGen1Marker[4] = {'K', 'E', '~', '^'};
inline constexpr std::uint8_t kBlockSignature[6] = {'K', 'u', 'b', '!', 0x1A, 0x07};
inline constexpr std::size_t kGen1MarkerSize = 4;
inline constexpr std::size_t kSignatureSize = 7;  // generations 2 to 4: six bytes and a version
inline constexpr std::uint8_t kGen2Version = 0x00;
inline constexpr std::uint8_t kGen3Version = 0x01;
inline constexpr std::uint8_t kGen4Version = 0x02;

// The search for an archive behind a self-extracting module: one block read after the first
// seven bytes. A generation-1 marker other than at the file start needs "KSFX" at 28..31.
inline constexpr std::size_t kSfxSearchBytes = 1024 * 1024 - 16;
inline constexpr std::size_t kSfxTagOffset = 28;
inline constexpr std::uint8_t kSfxTag[4] = {'K', 'S', 'F', 'X'};

// Generation 1.
inline constexpr std::size_t kGen1MainSize = 7;
inline constexpr std::size_t kGen1FileFixedSize = 21;
inline constexpr std::uint8_t kGen1MainVolume = 0x01;
inline constexpr std::uint8_t kGen1MainComment = 0x02;
inline constexpr std::uint8_t kGen1MainLocked = 0x04;
inline constexpr std::uint8_t kGen1MainSolid = 0x08;
inline constexpr std::uint8_t kGen1FileSplitBefore = 0x01;
inline constexpr std::uint8_t kGen1FileSplitAfter = 0x02;
inline constexpr std::uint8_t kGen1FileEncrypted = 0x04;
inline constexpr std::uint8_t kGen1Version13 = 2;  // the stored value that means version 1.3
inline constexpr std::uint32_t kGen1DictionaryBytes = 64 * 1024;

// Generation 2 block types.
inline constexpr std::uint8_t kBlockMain = 0x73;
inline constexpr std::uint8_t kBlockFile = 0x74;
inline constexpr std::uint8_t kBlockEmbedded = 0x75;
inline constexpr std::uint8_t kBlockOld76 = 0x76;
inline constexpr std::uint8_t kBlockData = 0x77;
inline constexpr std::uint8_t kBlockRecovery = 0x78;
inline constexpr std::uint8_t kBlockOld79 = 0x79;
inline constexpr std::uint8_t kBlockService = 0x7A;
inline constexpr std::uint8_t kBlockEnd = 0x7B;

inline constexpr std::size_t kGen2BlockHeadSize = 7;
// Main blocks with an embedded comment and embedded blocks are read only this far.
inline constexpr std::size_t kGen2ShortReadSize = 13;
inline constexpr std::uint16_t kGen2BlockHasData = 0x8000;

// Generation 2 main block flags.
inline constexpr std::uint16_t kGen2MainVolume = 0x0001;
inline constexpr std::uint16_t kGen2MainComment = 0x0002;
inline constexpr std::uint16_t kGen2MainLocked = 0x0004;
inline constexpr std::uint16_t kGen2MainSolid = 0x0008;
inline constexpr std::uint16_t kGen2MainNewNaming = 0x0010;
inline constexpr std::uint16_t kGen2MainRecovery = 0x0040;
inline constexpr std::uint16_t kGen2MainEncryptedHeaders = 0x0080;
inline constexpr std::uint16_t kGen2MainFirstVolume = 0x0100;

// Generation 2 file and service block flags.
inline constexpr std::uint16_t kGen2FileSplitBefore = 0x0001;
inline constexpr std::uint16_t kGen2FileSplitAfter = 0x0002;
inline constexpr std::uint16_t kGen2FileEncrypted = 0x0004;
inline constexpr std::uint16_t kGen2FilePartialChecksum = 0x0008;
inline constexpr std::uint16_t kGen2FileSolid = 0x0010;
inline constexpr std::uint16_t kGen2FileDictionaryMask = 0x00E0;
inline constexpr unsigned kGen2FileDictionaryShift = 5;
inline constexpr std::uint16_t kGen2FileLargeSizes = 0x0100;
inline constexpr std::uint16_t kGen2FileEncodedName = 0x0200;
inline constexpr std::uint16_t kGen2FileSalt = 0x0400;
inline constexpr std::uint16_t kGen2FileVersionSuffix = 0x0800;
inline constexpr std::uint16_t kGen2FileExtendedTimes = 0x1000;
inline constexpr std::size_t kGen2SaltSize = 8;
inline constexpr std::uint32_t kGen2DictionaryBase = 64 * 1024;

// Generation 2 end block flags.
inline constexpr std::uint16_t kGen2EndDataChecksum = 0x0002;
inline constexpr std::uint16_t kGen2EndReservedSpace = 0x0004;  // 7 zero bytes may end the block
inline constexpr std::uint16_t kGen2EndVolumeNumber = 0x0008;
inline constexpr std::size_t kGen2EndReservedBytes = 7;

// Encrypted generation-2 headers occupy whole 16-byte blocks plus an 8-byte salt.
inline constexpr std::size_t kGen2EncryptedHeaderExtra = 8;

// Recovery data is counted in sectors.
inline constexpr std::uint64_t kRecoverySectorSize = 512;

// Generation 3 header types and flags.
inline constexpr std::uint64_t kHeadMain = 1;
inline constexpr std::uint64_t kHeadFile = 2;
inline constexpr std::uint64_t kHeadService = 3;
inline constexpr std::uint64_t kHeadEncryption = 4;
inline constexpr std::uint64_t kHeadEnd = 5;

inline constexpr std::uint64_t kHeadFlagExtra = 0x0001;
inline constexpr std::uint64_t kHeadFlagData = 0x0002;
inline constexpr std::uint64_t kHeadFlagSplitBefore = 0x0008;
inline constexpr std::uint64_t kHeadFlagSplitAfter = 0x0010;

inline constexpr std::uint64_t kMainVolume = 0x0001;
inline constexpr std::uint64_t kMainVolumeNumber = 0x0002;
inline constexpr std::uint64_t kMainSolid = 0x0004;
inline constexpr std::uint64_t kMainRecovery = 0x0008;
inline constexpr std::uint64_t kMainLocked = 0x0010;

inline constexpr std::uint64_t kMainExtraLocator = 1;
inline constexpr std::uint64_t kLocatorQuickOpen = 0x01;
inline constexpr std::uint64_t kLocatorRecovery = 0x02;

inline constexpr std::uint64_t kFileDirectory = 0x0001;
inline constexpr std::uint64_t kFileUnixTime = 0x0002;
inline constexpr std::uint64_t kFileCrc32 = 0x0004;
inline constexpr std::uint64_t kFileUnknownSize = 0x0008;

inline constexpr std::uint64_t kCompressionVersionMask = 0x3F;
inline constexpr std::uint64_t kCompressionSolid = 0x40;
inline constexpr unsigned kCompressionDictionaryShift = 10;
inline constexpr std::uint64_t kCompressionDictionaryMask = 0xF;
inline constexpr std::uint64_t kGen3DictionaryBase = 128 * 1024;

inline constexpr std::uint64_t kEncryptionPasswordCheck = 0x0001;
inline constexpr std::uint8_t kMaxKdfParameter = 24;
inline constexpr std::size_t kGen3SaltSize = 16;
inline constexpr std::size_t kGen3IvSize = 16;
inline constexpr std::size_t kPasswordCheckSize = 8;
inline constexpr std::size_t kPasswordCheckSumSize = 4;

inline constexpr std::uint64_t kEndNextVolume = 0x0001;

// Extra records of generation-3 file and service headers.
inline constexpr std::uint64_t kExtraEncryption = 1;
inline constexpr std::uint64_t kExtraHash = 2;
inline constexpr std::uint64_t kExtraTime = 3;
inline constexpr std::uint64_t kExtraVersion = 4;
inline constexpr std::uint64_t kExtraRedirection = 5;
inline constexpr std::uint64_t kExtraUnixOwner = 6;
inline constexpr std::uint64_t kExtraServiceData = 7;

inline constexpr std::uint64_t kHashBlake2sp = 0;
inline constexpr std::size_t kBlake2spDigestSize = 32;

inline constexpr std::uint64_t kTimeUnix = 0x0001;
inline constexpr std::uint64_t kTimeModification = 0x0002;
inline constexpr std::uint64_t kTimeCreation = 0x0004;
inline constexpr std::uint64_t kTimeAccess = 0x0008;
inline constexpr std::size_t kTimeRecordMinimum = 9;  // a shorter rest of the header is ignored

// Host systems.
inline constexpr std::uint8_t kGen2HostUnix = 3;

// Limits the reader keeps to.
inline constexpr std::size_t kMaxNameBytes = 8191;       // stored names are cut to this
inline constexpr std::size_t kMaxDecodedNameUnits = 2048;  // encoded UTF-16 names
// A generation-3 header may declare a size up to 2^64; anything larger than this is treated as
// damage rather than allocated. Genuine headers are far smaller (names are at most 8191 bytes).
inline constexpr std::uint64_t kMaxGen3HeaderSize = 2 * 1024 * 1024;
// Longest vint the reader decodes (64 bits in 7-bit groups).
inline constexpr std::size_t kMaxVintBytes = 10;
// Bytes of a generation-3 header fetched before its size is known: checksum and size field.
inline constexpr std::size_t kGen3ProbeSize = 4 + kMaxVintBytes;

// The ErrorState check runs after this many headers skipped in a row.
inline constexpr unsigned kHeadersPerBreakCheck = 128;

// Quick-open information.
inline constexpr std::size_t kQuickOpenBufferSize = 64 * 1024;

}  // namespace kub::kubfmt
