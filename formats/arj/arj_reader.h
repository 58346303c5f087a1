#pragma once
// The ARJ reader (registry index 10): recognises ARJ archives, also behind a self-extracting
// module, lists their file headers and returns the archive comment. Nothing is decompressed.
//
// State: `file_` stands at the next header; each file header moves it past its extended headers
// and compressed data. A listing ends at the end-of-archive header (size 0) or at the first
// header that fails its id, size or CRC.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/buffered_input_file.h"

namespace kub {

// One header as read.
struct ArjHeader {
    std::uint8_t version_needed = 0;
    std::uint8_t host_system = 0;
    std::uint8_t flags = 0;
    std::uint8_t file_type = 0;
    std::uint32_t date_time = 0;
    std::uint32_t compressed_size = 0;
    std::uint32_t original_size = 0;
    std::uint32_t file_crc = 0;
    std::uint16_t access_mode = 0;
    std::uint32_t extended_position = 0;
    std::u16string name;
    std::string comment;
};

class ArjReader final : public ArchiveReader {
public:
    explicit ArjReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;
    void NextVolumeName(std::u16string& name) override;
    std::vector<std::uint8_t> GetComment(std::u16string_view path) override;

private:
    std::u16string archive_name_;
    std::unique_ptr<BufferedInputFile> file_;
    std::int32_t start_offset_ = 0;
    bool has_comment_ = false;
    bool is_volume_ = false;
};

}  // namespace kub
