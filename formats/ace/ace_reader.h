#pragma once
// The ACE reader (registry index 12): recognises ACE archives, also behind a self-extracting
// module, reads the archive-wide flags of the main header and lists the file headers, each
// checked against its header CRC. Nothing is decompressed.
//
// State: `file_` stands after the last block header read and `skip_` holds that block's data
// size, skipped before the next header is read; positions only grow, so a listing ends at the
// end of the file.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/files/disk_file.h"
#include "formats/archive_reader.h"

namespace kub {

// The volume after `name` in the naming of ACE sets: name.ace, name.C00 ... name.C99, name.100.
void NextAceVolumeName(std::u16string& name);

class AceReader final : public ArchiveReader {
public:
    explicit AceReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;
    void NextVolumeName(std::u16string& name) override { NextAceVolumeName(name); }

private:
    // Reads the next block header into `header_`; false on a short read or (reported) damage.
    bool ReadBlock();

    std::u16string archive_name_;
    std::unique_ptr<DiskFile> file_;
    std::uint32_t skip_ = 0;
    std::int32_t start_offset_ = 0;
    std::uint16_t main_flags_ = 0;
    std::uint8_t version_needed_ = 0;
    std::uint8_t host_ = 0;
    std::vector<std::uint8_t> header_;
};

}  // namespace kub
