#include "formats/kub/kub_gen3_header.h"

#include <algorithm>

#include "common/checksum/crc32.h"
#include "common/checksum/sha256.h"
#include "formats/byte_reader.h"
#include "formats/kub/kub_layout.h"
#include "formats/kub/kub_vint.h"

namespace kub::kubfmt {

namespace {

constexpr std::size_t kSizeFieldOffset = 4;

// The password check that may follow the salt (and, in a file's record, the initialisation
// vector): 8 bytes of check value and the first 4 bytes of their SHA-256. Only whether they agree
// is kept; nothing is decided by it.
bool password_check_matches(ByteReader& fields, std::uint64_t flags) {
    if ((flags & kEncryptionPasswordCheck) == 0) return false;
    std::span<const std::uint8_t> value = fields.bytes(kPasswordCheckSize);
    std::span<const std::uint8_t> sum = fields.bytes(kPasswordCheckSumSize);
    if (fields.overrun()) return false;
    Sha256 sha;
    sha.update(value.data(), value.size());
    Sha256::Digest digest = sha.finish();
    return std::equal(sum.begin(), sum.end(), digest.begin());
}

// Calls visit(type, record_reader, header_rest) for each record of an extra area, where
// header_rest counts the header bytes from the record's data to the header's end. The walk stops
// at a size of 0, at a size beyond the area, or when fewer than 2 bytes are left.
template <typename Visit>
void walk_extra_area(std::span<const std::uint8_t> area, Visit visit) {
    ByteReader cursor(area);
    while (cursor.remaining() >= 2) {
        std::uint64_t size = read_vint(cursor);
        if (cursor.overrun() || size == 0 || size > cursor.remaining()) return;
        std::size_t record_start = cursor.position();
        ByteReader record(cursor.bytes(static_cast<std::size_t>(size)));
        std::uint64_t type = read_vint(record);
        std::size_t header_rest = area.size() - record_start - record.position();
        visit(type, record, header_rest);
    }
}

void parse_main(ByteReader& fields, std::span<const std::uint8_t> extra, ParsedHeader& h) {
    h.kind = HeaderKind::kMain;
    std::uint64_t flags = read_vint(fields);
    h.volume = flags & kMainVolume;
    h.solid = flags & kMainSolid;
    h.recovery = flags & kMainRecovery;
    h.locked = flags & kMainLocked;
    h.new_naming = true;
    if (flags & kMainVolumeNumber) {
        h.has_volume_number = true;
        h.volume_number = read_vint(fields);
    }
    h.first_volume = h.volume && h.volume_number == 0;
    walk_extra_area(extra, [&](std::uint64_t type, ByteReader& r, std::size_t) {
        if (type != kMainExtraLocator) return;
        std::uint64_t locator = read_vint(r);
        if (locator & kLocatorQuickOpen) h.quick_open_offset = read_vint(r);
    });
}

void parse_item(ByteReader& fields, std::span<const std::uint8_t> extra, ParsedHeader& h) {
    ItemFacts& f = h.item;
    std::uint64_t flags = read_vint(fields);
    f.unpacked_size = read_vint(fields);
    f.unknown_size = flags & kFileUnknownSize;
    f.attributes = static_cast<std::uint32_t>(read_vint(fields));
    if (flags & kFileUnixTime) {
        f.time_format = TimeFormat::kUnix;
        f.time_value = fields.u32();
    }
    if (flags & kFileCrc32) {
        std::uint32_t crc = fields.u32();
        f.hash_kind = 2;
        for (unsigned i = 0; i < 4; ++i) f.hash[i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    std::uint64_t compression = read_vint(fields);
    f.host = read_vint(fields);
    std::uint64_t name_length = read_vint(fields);
    f.name_bytes = stored_name(fields.bytes(static_cast<std::size_t>(
        name_length < kMaxNameBytes ? name_length : kMaxNameBytes)));

    f.directory = flags & kFileDirectory;
    f.solid = compression & kCompressionSolid;
    f.unpack_version = (compression & kCompressionVersionMask) == 0 ? 0x0500 : 0;
    unsigned dictionary = static_cast<unsigned>((compression >> kCompressionDictionaryShift) &
                                                kCompressionDictionaryMask);
    f.dictionary_bytes = f.directory ? 0 : kGen3DictionaryBase << dictionary;
    f.packed_size = h.data_size;

    walk_extra_area(extra, [&](std::uint64_t type, ByteReader& r, std::size_t header_rest) {
        switch (type) {
            case kExtraEncryption: {
                // An unknown version leaves the item unmarked; an unusual parameter does not.
                f.encrypted = read_vint(r) == 0;
                std::uint64_t encryption_flags = read_vint(r);
                r.skip(1 + kGen3SaltSize + kGen3IvSize);  // parameter, salt, initialisation vector
                f.password_check_matches = password_check_matches(r, encryption_flags);
                break;
            }
            case kExtraHash:
                if (read_vint(r) == kHashBlake2sp) {
                    std::span<const std::uint8_t> digest = r.bytes(kBlake2spDigestSize);
                    f.hash = {};
                    std::copy(digest.begin(), digest.end(), f.hash.begin());
                    f.hash_kind = 3;
                }
                break;
            case kExtraTime: {
                if (header_rest < kTimeRecordMinimum) break;
                std::uint64_t time_flags = read_vint(r);
                if ((time_flags & kTimeModification) == 0) break;
                bool unix_time = time_flags & kTimeUnix;
                f.time_format = unix_time ? TimeFormat::kUnix : TimeFormat::kFileTime;
                f.time_value = unix_time ? r.u32() : r.u64();
                break;
            }
            case kExtraVersion:
                read_vint(r);  // flags
                f.version_suffix = read_vint(r);
                break;
            case kExtraRedirection:
                f.link_type = read_vint(r);
                break;
            default:  // owner names and service data report nothing
                break;
        }
    });
}

void parse_encryption(ByteReader& fields, ParsedHeader& h) {
    h.kind = HeaderKind::kEncryption;
    std::uint64_t version = read_vint(fields);
    std::uint64_t flags = read_vint(fields);
    std::uint8_t parameter = fields.u8();
    h.encryption_known = version == 0 && parameter <= kMaxKdfParameter;
    fields.skip(kGen3SaltSize);
    h.password_check_matches = password_check_matches(fields, flags);
}

}  // namespace

HeaderExtent gen3_header_extent(std::span<const std::uint8_t> probe) {
    HeaderExtent e;
    std::uint64_t size = 0;
    std::size_t length = 0;
    if (!decode_vint(probe, kSizeFieldOffset, size, length)) {
        e.incomplete = probe.size() < kGen3ProbeSize;
        return e;
    }
    if (size == 0) return e;
    if (size > kMaxGen3HeaderSize) return e;
    e.header_size = kSizeFieldOffset + length + size;
    e.read_size = e.header_size;
    e.ok = true;
    return e;
}

ParsedHeader parse_gen3_header(std::span<const std::uint8_t> bytes) {
    ParsedHeader h;
    h.header_size = bytes.size();
    if (bytes.size() > kSizeFieldOffset) {
        h.checksum_ok = le32(bytes, 0) == crc32(bytes.data() + kSizeFieldOffset,
                                                 bytes.size() - kSizeFieldOffset);
    }
    ByteReader common(bytes);
    common.seek(kSizeFieldOffset);
    std::uint64_t size = read_vint(common);
    std::uint64_t type = read_vint(common);
    std::uint64_t flags = read_vint(common);
    std::uint64_t extra_size = (flags & kHeadFlagExtra) ? read_vint(common) : 0;
    h.data_size = (flags & kHeadFlagData) ? read_vint(common) : 0;
    if (extra_size > size || extra_size > bytes.size()) {
        h.malformed = true;
        return h;
    }
    std::size_t extra_start = bytes.size() - static_cast<std::size_t>(extra_size);
    std::span<const std::uint8_t> extra = bytes.subspan(extra_start);
    ByteReader fields(bytes.first(extra_start));
    fields.seek(common.position());

    switch (type) {
        case kHeadMain: parse_main(fields, extra, h); break;
        case kHeadFile:
        case kHeadService:
            h.kind = type == kHeadFile ? HeaderKind::kFile : HeaderKind::kService;
            h.item.split_before = flags & kHeadFlagSplitBefore;
            h.item.split_after = flags & kHeadFlagSplitAfter;
            parse_item(fields, extra, h);
            break;
        case kHeadEncryption: parse_encryption(fields, h); break;
        case kHeadEnd: h.kind = HeaderKind::kEnd; break;
        default: break;
    }
    return h;
}

}  // namespace kub::kubfmt
