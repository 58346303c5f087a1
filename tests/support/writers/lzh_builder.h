#pragma once
// Builds LZH member headers field by field (levels 0, 1 and 2) for what jlha does not write on
// request: directory-name extensions, UTF-8 names, headers with no CRC, oversized or damaged
// headers.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kub::test {

struct LzhMember {
    int level = 2;
    std::string method = "-lh0-";
    std::string name;  // levels 0 and 1: in the header; level 2: a file-name extension
    std::string data;  // stored as packed data
    std::uint32_t original_size = 0;  // 0: the data's size
    std::uint32_t time = 0x52A17B45;  // DOS date-time (levels 0, 1) or Unix seconds (level 2)
    std::uint8_t attribute = 0x20;
    std::uint16_t crc = 0x1234;
    bool level0_crc = true;           // level 0: a CRC-16 (and the OS id) after the name
    std::uint8_t os_id = 'M';
    std::string level0_extension;     // level 0: bytes after the OS id
    // Extended headers (levels 1 and 2): type and data.
    std::vector<std::pair<std::uint8_t, std::string>> extended;
    std::optional<std::uint8_t> checksum;  // levels 0 and 1: a wrong one, when set
    std::optional<std::uint16_t> level2_size;  // level 2: another total size, when set
};

// One member: header, extended headers and data.
std::string lzh_member(const LzhMember& member);

// The byte that ends an archive.
inline std::string lzh_end() { return std::string(1, '\0'); }

}  // namespace kub::test
