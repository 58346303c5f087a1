#pragma once
// Writes ACE archives block by block (no free tool writes the format): a main header and file
// headers with their header CRCs, the data as opaque bytes. Fields are chosen by the test, so
// damaged and unusual archives are as easy to make as sound ones.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kub::test {

struct AceFile {
    std::string name;  // bytes as stored (OEM code page)
    std::string data;  // stored as the packed data
    std::uint32_t original_size = 0;  // 0: the data's size
    std::uint32_t dos_time = 0x52A17B45;
    std::uint32_t attributes = 0x20;
    std::uint32_t crc_register = 0;  // as stored: the complement of the data's CRC-32
    std::uint16_t flags = 0;         // besides the additional-size bit, which is always set
    std::optional<std::uint16_t> header_crc;  // a wrong one, when set
    std::optional<std::uint16_t> name_length;  // another stored name length, when set
};

struct AceArchive {
    std::uint16_t main_flags = 0;
    std::uint8_t version_needed = 20;
    std::uint8_t version_made_by = 20;
    std::uint8_t host = 2;
    std::uint8_t volume_number = 0;
    std::vector<AceFile> files;
    std::string other_block_before_files;  // an extra block of type 5 with these bytes, when set
};

// The low 16 bits of the CRC-32 register over `bytes`, as header CRCs are.
std::uint16_t ace_header_crc(const std::string& bytes);

std::string ace_archive(const AceArchive& archive);

}  // namespace kub::test
