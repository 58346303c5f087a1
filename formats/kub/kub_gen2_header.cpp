#include "formats/kub/kub_gen2_header.h"

#include <algorithm>

#include "common/checksum/crc32.h"
#include "formats/byte_reader.h"
#include "formats/kub/kub_encoded_name.h"
#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

namespace {

constexpr std::size_t kTypeOffset = 2;
constexpr std::size_t kFlagsOffset = 3;
constexpr std::size_t kSizeOffset = 5;
constexpr std::size_t kDataSizeOffset = 7;
constexpr std::size_t kRecoverySectorsOffset = 12;  // 0x78: data size, one byte, sectors
constexpr std::size_t kRecoverySectorsIndex = 2;    // "RR": the third uint32 of its data
constexpr std::uint64_t kOneSecond = 10'000'000;

std::uint16_t stored_checksum(std::span<const std::uint8_t> bytes) { return le16(bytes, 0); }

std::uint16_t checksum_of(std::span<const std::uint8_t> bytes, std::size_t end) {
    end = std::min(end, bytes.size());
    if (end <= 2) return 0;
    return static_cast<std::uint16_t>(crc32(bytes.data() + 2, end - 2));
}

// The modification time's fraction from the extended-times field: four groups of four bits
// (modification, creation, access, archiving), each "present", "plus one second" and a count of
// extra bytes that form the high end of a 24-bit count of 100 ns units. Every present time but the
// modification time stores its own DOS time first.
std::uint64_t modification_fraction(ByteReader& r) {
    std::uint16_t flags = r.u16();
    std::uint64_t fraction = 0;
    for (unsigned i = 0; i < 4; ++i) {
        unsigned group = (flags >> ((3 - i) * 4)) & 0xF;
        if ((group & 0x8) == 0) continue;
        if (i != 0) r.u32();
        unsigned count = group & 0x3;
        std::uint64_t units = 0;
        for (unsigned j = 0; j < count; ++j) units |= std::uint64_t{r.u8()} << (8 * (j + 3 - count));
        if (i == 0) fraction = units + ((group & 0x4) ? kOneSecond : 0);
    }
    return fraction;
}

void parse_file_fields(ByteReader& r, std::uint16_t flags, ParsedHeader& h) {
    ItemFacts& f = h.item;
    std::uint32_t packed_low = r.u32();
    std::uint32_t unpacked_low = r.u32();
    f.host = r.u8();
    std::uint32_t crc = r.u32();
    f.time_format = TimeFormat::kDos;
    f.time_value = r.u32();
    std::uint8_t version = r.u8();
    r.u8();  // method
    std::uint16_t name_size = r.u16();
    f.attributes = r.u32();
    std::uint32_t packed_high = 0;
    std::uint32_t unpacked_high = 0;
    bool large = flags & kGen2FileLargeSizes;
    if (large) {
        packed_high = r.u32();
        unpacked_high = r.u32();
    }
    std::span<const std::uint8_t> name = r.bytes(name_size);
    std::span<const std::uint8_t> kept = name.first(std::min(name.size(), kMaxNameBytes));
    f.name_bytes = stored_name(kept);
    if (flags & kGen2FileEncodedName) f.decoded_name = decode_encoded_name(kept);
    if (flags & kGen2FileSalt) r.skip(kGen2SaltSize);
    std::size_t service_data = r.position();
    if (flags & kGen2FileExtendedTimes) f.time_fraction = modification_fraction(r);

    f.packed_size = (std::uint64_t{packed_high} << 32) | packed_low;
    f.unknown_size = unpacked_low == 0xFFFFFFFFu && (!large || unpacked_high == 0xFFFFFFFFu);
    f.unpacked_size = (std::uint64_t{unpacked_high} << 32) | unpacked_low;
    h.data_size = f.packed_size;

    f.hash_kind = 2;
    for (unsigned i = 0; i < 4; ++i) f.hash[i] = static_cast<std::uint8_t>(crc >> (8 * i));
    f.unpack_version = (version / 10u) * 256u + version % 10u;
    f.split_before = flags & kGen2FileSplitBefore;
    f.split_after = flags & kGen2FileSplitAfter;
    f.encrypted = flags & kGen2FileEncrypted;
    f.solid = flags & kGen2FileSolid;
    unsigned dictionary = (flags & kGen2FileDictionaryMask) >> kGen2FileDictionaryShift;
    f.directory = (flags & kGen2FileDictionaryMask) == kGen2FileDictionaryMask ||
                  (version < 20 && (f.attributes & 0x10));
    f.dictionary_bytes = f.directory ? 0 : std::uint64_t{kGen2DictionaryBase} << dictionary;
    if (f.host == kGen2HostUnix && (f.attributes & 0xF000) == 0xA000) f.link_type = 1;
    f.recovery_sectors = le32(r.data(), service_data + 4 * kRecoverySectorsIndex);

    // With the partial-checksum flag the checksum covers the fields up to here only.
    std::size_t covered = (flags & kGen2FilePartialChecksum) ? r.position() : r.data().size();
    h.checksum_ok = stored_checksum(r.data()) == checksum_of(r.data(), covered);
}

}  // namespace

HeaderExtent gen2_block_extent(std::span<const std::uint8_t> fixed) {
    HeaderExtent e;
    std::uint8_t type = static_cast<std::uint8_t>(load_le(fixed, kTypeOffset, 1));
    std::uint16_t flags = le16(fixed, kFlagsOffset);
    e.header_size = le16(fixed, kSizeOffset);
    e.ok = e.header_size >= kGen2BlockHeadSize;
    bool short_read = (type == kBlockMain && (flags & kGen2MainComment)) || type == kBlockEmbedded;
    e.read_size = short_read ? std::min<std::uint64_t>(e.header_size, kGen2ShortReadSize) : e.header_size;
    return e;
}

ParsedHeader parse_gen2_block(std::span<const std::uint8_t> bytes, std::uint64_t header_size) {
    ParsedHeader h;
    h.header_size = header_size;
    std::uint8_t type = static_cast<std::uint8_t>(load_le(bytes, kTypeOffset, 1));
    std::uint16_t flags = le16(bytes, kFlagsOffset);
    ByteReader r(bytes);
    r.seek(kGen2BlockHeadSize);
    bool checksum_matters = true;

    switch (type) {
        case kBlockMain:
            h.kind = HeaderKind::kMain;
            h.volume = flags & kGen2MainVolume;
            h.comment = flags & kGen2MainComment;
            h.locked = flags & kGen2MainLocked;
            h.solid = flags & kGen2MainSolid;
            h.new_naming = flags & kGen2MainNewNaming;
            h.recovery = flags & kGen2MainRecovery;
            h.encrypted_headers = flags & kGen2MainEncryptedHeaders;
            h.first_volume = flags & kGen2MainFirstVolume;
            break;
        case kBlockFile:
        case kBlockService:
            h.kind = type == kBlockFile ? HeaderKind::kFile : HeaderKind::kService;
            parse_file_fields(r, flags, h);
            checksum_matters = false;  // checked over the range the flags select
            break;
        case kBlockEnd:
            h.kind = HeaderKind::kEnd;
            if (flags & kGen2EndDataChecksum) r.u32();
            if (flags & kGen2EndVolumeNumber) {
                h.end_has_volume_number = true;
                h.end_volume_number = r.u16();
            }
            break;
        case kBlockData:
            h.data_size = le32(bytes, kDataSizeOffset);
            break;
        case kBlockRecovery:
            h.data_size = le32(bytes, kDataSizeOffset);
            h.recovery_block = true;
            h.recovery_size = le16(bytes, kRecoverySectorsOffset) * kRecoverySectorSize;
            break;
        case kBlockOld76:
        case kBlockOld79:
            checksum_matters = false;
            break;
        case kBlockEmbedded:
            break;
        default:
            if (flags & kGen2BlockHasData) h.data_size = le32(bytes, kDataSizeOffset);
            break;
    }

    if (checksum_matters && stored_checksum(bytes) != checksum_of(bytes, bytes.size())) {
        // An end block may be padded with reserved zero bytes its checksum does not cover.
        bool reserved = type == kBlockEnd && (flags & kGen2EndReservedSpace) &&
                        bytes.size() >= kGen2EndReservedBytes &&
                        std::all_of(bytes.end() - kGen2EndReservedBytes, bytes.end(),
                                    [](std::uint8_t b) { return b == 0; });
        h.checksum_ok = reserved;
    }
    return h;
}

}  // namespace kub::kubfmt
