#pragma once
// The LZH reader (registry index 9): lists the members of LHA archives with header levels 0, 1
// and 2, also behind a self-extracting module. Nothing is decompressed.
//
// State: `next_header_` is where the next member header starts; each member moves it past its
// header and packed data, and a position beyond the file ends the listing. The header of one
// member, with the extended headers of a level 1 header, is gathered in `header_` (at most
// lzh::kHeaderBufferSize bytes).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/buffered_input_file.h"

namespace kub {

// One member header as parsed.
struct LzhMemberHeader {
    std::string name;  // bytes as stored, directory name in front, "\" separators
    bool directory = false;
    std::uint64_t packed_size = 0;
    std::uint64_t original_size = 0;
    std::uint64_t mod_time = 0;
    std::uint8_t attribute = 0;
    bool has_crc = false;
    std::uint16_t crc = 0;
    std::uint64_t header_bytes = 0;  // from the header's start to its data
};

class LzhReader final : public ArchiveReader {
public:
    explicit LzhReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

private:
    enum class Parse { kOk, kEnd, kDamaged, kFailed };
    // Parses the header at the file's position.
    Parse ParseHeader(LzhMemberHeader& member);
    // Walks the extended headers from the size field at `at` of `header_`; level 1 reads each
    // from the file first. `extended_bytes` receives the bytes they took.
    Parse ReadExtendedHeaders(std::size_t at, bool from_file, std::uint8_t os_id, LzhMemberHeader& member,
                              std::string& directory, std::uint64_t& extended_bytes);
    bool ReadHeaderBytes(std::size_t count);

    std::u16string archive_name_;
    std::unique_ptr<BufferedInputFile> file_;
    std::uint64_t file_size_ = 0;
    std::int32_t start_offset_ = 0;
    std::uint64_t next_header_ = 0;
    std::vector<std::uint8_t> header_;
};

}  // namespace kub
