#include "tests/support/writers/zip_builder.h"

#include "common/checksum/crc32.h"

namespace kub::test {

void put16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}
void put64(std::string& out, std::uint64_t v) {
    put32(out, static_cast<std::uint32_t>(v));
    put32(out, static_cast<std::uint32_t>(v >> 32));
}

std::string zip64_extra(std::uint64_t unpacked, std::uint64_t packed) {
    std::string block;
    put16(block, 0x0001);
    put16(block, 16);
    put64(block, unpacked);
    put64(block, packed);
    return block;
}

std::string unicode_path_extra(std::string_view header_name, std::string_view utf8_name, bool wrong_crc) {
    std::string block;
    put16(block, 0x7075);
    put16(block, static_cast<std::uint16_t>(5 + utf8_name.size()));
    block.push_back(1);
    std::uint32_t crc = crc32(header_name.data(), header_name.size());
    put32(block, wrong_crc ? crc ^ 1 : crc);
    block += utf8_name;
    return block;
}

std::string ntfs_time_extra(std::uint64_t modified) {
    std::string block;
    put16(block, 0x000A);
    put16(block, 32);
    put32(block, 0);   // reserved
    put16(block, 1);   // tag: times
    put16(block, 24);  // its size
    put64(block, modified);
    put64(block, modified);  // access
    put64(block, modified);  // creation
    return block;
}

std::string build_zip(const ZipLayout& layout) {
    std::string out = layout.prefix;
    std::uint64_t base = layout.offsets_include_prefix ? 0 : layout.prefix.size();
    if (layout.spanning_marker) put32(out, 0x08074B50);

    std::vector<std::uint64_t> local_offsets;
    for (const ZipEntrySpec& e : layout.entries) {
        local_offsets.push_back(out.size() - base);
        std::uint32_t crc = crc32(e.data.data(), e.data.size());
        std::uint32_t size = static_cast<std::uint32_t>(e.data.size());
        put32(out, 0x04034B50);
        put16(out, e.version_needed);
        put16(out, e.flags);
        put16(out, 0);  // stored
        put32(out, e.dos_time);
        put32(out, crc);
        put32(out, e.packed_field.value_or(size));
        put32(out, e.unpacked_field.value_or(size));
        put16(out, static_cast<std::uint16_t>(e.name.size()));
        put16(out, static_cast<std::uint16_t>(e.local_extra.size()));
        out += e.name;
        out += e.local_extra;
        out += e.data;
    }

    std::uint64_t cd_offset = out.size() - base;
    for (std::size_t i = 0; i < layout.entries.size(); ++i) {
        const ZipEntrySpec& e = layout.entries[i];
        std::uint32_t crc = crc32(e.data.data(), e.data.size());
        std::uint32_t size = static_cast<std::uint32_t>(e.data.size());
        put32(out, 0x02014B50);
        out.push_back(static_cast<char>(e.made_by_version));
        out.push_back(static_cast<char>(e.host));
        put16(out, e.version_needed);
        put16(out, e.flags);
        put16(out, 0);
        put32(out, e.dos_time);
        put32(out, crc);
        put32(out, e.packed_field.value_or(size));
        put32(out, e.unpacked_field.value_or(size));
        put16(out, static_cast<std::uint16_t>(e.name.size()));
        put16(out, static_cast<std::uint16_t>(e.central_extra.size()));
        put16(out, static_cast<std::uint16_t>(e.comment.size()));
        put16(out, 0);  // disk
        put16(out, 0);  // internal attributes
        put32(out, e.external_attributes);
        put32(out, static_cast<std::uint32_t>(local_offsets[i]));
        out += e.name;
        out += e.central_extra;
        out += e.comment;
    }
    std::uint64_t cd_size = out.size() - base - cd_offset;
    std::uint64_t count = layout.entries.size();

    if (layout.zip64_end) {
        std::uint64_t record_at = out.size() - base;
        put32(out, 0x06064B50);
        put64(out, 44);  // size of the rest
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, count);
        put64(out, count);
        put64(out, cd_size);
        put64(out, cd_offset);
        put32(out, 0x07064B50);
        put32(out, 0);
        put64(out, record_at);
        put32(out, 1);
    }
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, layout.zip64_end ? 0xFFFF : static_cast<std::uint16_t>(count));
    put16(out, layout.zip64_end ? 0xFFFF : static_cast<std::uint16_t>(count));
    put32(out, layout.zip64_end ? 0xFFFFFFFF : static_cast<std::uint32_t>(cd_size));
    put32(out, layout.zip64_end ? 0xFFFFFFFF : static_cast<std::uint32_t>(cd_offset));
    put16(out, static_cast<std::uint16_t>(layout.archive_comment.size()));
    out += layout.archive_comment;
    return out;
}

}  // namespace kub::test
