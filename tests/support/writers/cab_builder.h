#pragma once
// Builds cabinets field by field: one folder of stored (uncompressed) data, with the parts no
// free tool writes on request: reserve fields, previous and next cabinet names for sets, files
// that cross cabinet boundaries, and wrong values in reserved fields.
#include <cstdint>
#include <string>
#include <vector>

namespace kub::test {

struct CabEntry {
    std::string name;  // bytes as stored (UTF-8 when attribs has 0x80)
    std::string data;
    std::uint16_t folder = 0;  // iFolder: 0, or 0xFFFD / 0xFFFE / 0xFFFF across cabinets
    std::uint16_t attribs = 0x20;
    std::uint16_t date = (2021 - 1980) << 9 | 3 << 5 | 14;  // 2021-03-14
    std::uint16_t time = 15 << 11 | 9 << 5 | 26 / 2;        // 15:09:26
};

struct CabLayout {
    std::vector<CabEntry> entries;
    std::string prev_cabinet, prev_disk;  // both written when prev_cabinet is not empty
    std::string next_cabinet, next_disk;  // both written when next_cabinet is not empty
    bool reserve = false;                 // reserve fields present
    std::string header_reserve;           // cbCFHeader bytes of reserved data
    std::uint8_t folder_reserve = 0;      // cbCFFolder
    std::uint8_t data_reserve = 0;        // cbCFData
    std::uint32_t reserved1 = 0;
    std::uint16_t set_id = 0x1234;
    std::uint16_t cabinet_index = 0;
    std::uint8_t version_minor = 3, version_major = 1;
};

// The whole cabinet file.
std::string cab_file(const CabLayout& cabinet);

}  // namespace kub::test
