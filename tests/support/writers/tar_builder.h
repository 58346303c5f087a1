#pragma once
// Builds tar header blocks field by field (ustar, GNU or old layouts), for the cases no tool
// writes on purpose: bad checksums, control characters, base-256 sizes, chains of long names.
#include <cstdint>
#include <optional>
#include <string>

namespace kub::test {

enum class TarMagic { kNone, kPosix, kGnu };

struct TarHeader {
    std::string name;
    std::string mode = "0000644";
    std::uint64_t size = 0;
    bool base256_size = false;  // the size field as 0x80 and a big-endian number
    std::uint64_t mtime = 1700000000;
    char type = '0';
    TarMagic magic = TarMagic::kPosix;
    std::string prefix;
    std::optional<std::uint32_t> checksum;  // a wrong one, when set
};

// One 512-byte header block.
std::string tar_header(const TarHeader& header);

// A header followed by its data, padded to whole blocks.
std::string tar_member(const TarHeader& header, const std::string& data);

// Two zero blocks: the end of an archive.
std::string tar_end();

}  // namespace kub::test
