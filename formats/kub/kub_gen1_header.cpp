#include "formats/kub/kub_gen1_header.h"

#include "formats/byte_reader.h"
#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

namespace {

constexpr std::size_t kMainSizeOffset = 4;
constexpr std::size_t kMainFlagsOffset = 6;
constexpr std::size_t kFileSizeOffset = 10;

}  // namespace

ParsedHeader parse_gen1_main(std::span<const std::uint8_t> bytes) {
    ParsedHeader h;
    h.kind = HeaderKind::kMain;
    h.header_size = le16(bytes, kMainSizeOffset);
    h.malformed = h.header_size < kGen1MainSize;
    std::uint8_t flags = static_cast<std::uint8_t>(load_le(bytes, kMainFlagsOffset, 1));
    h.volume = flags & kGen1MainVolume;
    h.comment = flags & kGen1MainComment;
    h.locked = flags & kGen1MainLocked;
    h.solid = flags & kGen1MainSolid;
    return h;
}

HeaderExtent gen1_file_extent(std::span<const std::uint8_t> fixed) {
    HeaderExtent e;
    e.header_size = le16(fixed, kFileSizeOffset);
    e.read_size = e.header_size;
    e.ok = e.header_size >= kGen1FileFixedSize;
    return e;
}

ParsedHeader parse_gen1_file(std::span<const std::uint8_t> bytes) {
    ParsedHeader h;
    h.kind = HeaderKind::kFile;
    ByteReader r(bytes);
    ItemFacts& f = h.item;
    f.packed_size = r.u32();
    f.unpacked_size = r.u32();
    std::uint16_t checksum = r.u16();
    h.header_size = r.u16();
    f.time_format = TimeFormat::kDos;
    f.time_value = r.u32();
    f.attributes = r.u8();
    std::uint8_t flags = r.u8();
    std::uint8_t version = r.u8();
    std::uint8_t name_length = r.u8();
    r.u8();  // method
    f.name_bytes = stored_name(r.bytes(name_length));

    h.data_size = f.packed_size;
    f.hash_kind = 1;
    f.hash[0] = static_cast<std::uint8_t>(checksum);
    f.hash[1] = static_cast<std::uint8_t>(checksum >> 8);
    f.unpack_version = version == kGen1Version13 ? 0x0103 : 0x0100;
    f.split_before = flags & kGen1FileSplitBefore;
    f.split_after = flags & kGen1FileSplitAfter;
    f.encrypted = flags & kGen1FileEncrypted;
    f.directory = f.attributes & 0x10;
    f.dictionary_bytes = f.directory ? 0 : kGen1DictionaryBytes;
    return h;
}

}  // namespace kub::kubfmt
