#pragma once
// Builds gzip members field by field, with the data in stored DEFLATE blocks, so header fields,
// member chains and damage can be chosen exactly (gzip itself writes none of FEXTRA, FCOMMENT,
// FHCRC or odd OS bytes).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kub::test {

struct GzipMember {
    std::string data;
    std::uint32_t mtime = 1700000000;
    std::uint8_t os = 3;
    std::uint8_t extra_flags = 0;                // bits to set in FLG besides the ones below
    std::optional<std::string> name;             // FNAME
    std::optional<std::string> comment;          // FCOMMENT
    std::optional<std::string> extra;            // FEXTRA payload
    bool header_crc = false;                     // FHCRC
    bool damage_crc = false;                     // store a CRC-32 that does not match
    std::size_t block_size = 65535;              // data bytes per stored block
};

// One member: fixed header, optional fields in RFC 1952 order, stored blocks, trailer.
std::string gzip_member(const GzipMember& member);

}  // namespace kub::test
