#pragma once
// ZIP archives built field by field, for the cases no tool writes on request: damaged records,
// chosen host systems and attributes, extra blocks with wrong checksums, stubs in front.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kub::test {

struct ZipEntrySpec {
    std::string name;                 // bytes as stored
    std::string data;                 // stored (method 0)
    std::string central_extra;        // extra field of the central header
    std::string local_extra;          // extra field of the local header
    std::string comment;              // entry comment
    std::uint16_t flags = 0;
    std::uint8_t made_by_version = 20;
    std::uint8_t host = 0;
    std::uint16_t version_needed = 20;
    std::uint32_t external_attributes = 0;
    std::uint32_t dos_time = 0x00210000;  // 1980-01-01 00:00:00
    std::optional<std::uint32_t> packed_field;    // the 32-bit fields as written, when not the data's
    std::optional<std::uint32_t> unpacked_field;
};

struct ZipLayout {
    std::vector<ZipEntrySpec> entries;
    std::string prefix;           // bytes in front of the archive (an SFX stub)
    bool offsets_include_prefix = true;  // false: offsets as if the prefix were not there
    std::string archive_comment;
    bool zip64_end = false;       // 0xFFFF / 0xFFFFFFFF in the end record, real values in zip64
    bool spanning_marker = false; // "PK\7\8" before the first local header
};

std::string build_zip(const ZipLayout& layout);

// Extra blocks.
std::string zip64_extra(std::uint64_t unpacked, std::uint64_t packed);
std::string unicode_path_extra(std::string_view header_name, std::string_view utf8_name,
                               bool wrong_crc = false);
std::string ntfs_time_extra(std::uint64_t modified);

// Little-endian field writers for hand-made records.
void put16(std::string& out, std::uint16_t v);
void put32(std::string& out, std::uint32_t v);
void put64(std::string& out, std::uint64_t v);

}  // namespace kub::test
