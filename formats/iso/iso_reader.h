#pragma once
// The ISO 9660 reader (registry index 8): CD-ROM images, with a Joliet supplementary volume
// descriptor when there is one.
//
// Directories come from the path table (one record per directory, parents before children), so
// a directory that names itself or an ancestor as its extent cannot make the walk circle; files
// come from the directory records of each directory's extent. State: `next_record_` is the path
// table record to visit next; while `bytes_left_` is above 0 the extent of the current directory
// is being read at `position_` (kept here, so reading costs no system call per record).
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/buffered_input_file.h"

namespace kub {

class IsoReader final : public ArchiveReader {
public:
    explicit IsoReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

private:
    int ReadEntry(ItemHeader& item);
    int StartDirectory(ItemHeader& item);
    int ReadFileRecord(ItemHeader& item, bool& returned);
    bool ReadAt(std::uint64_t position, std::span<std::uint8_t> out);
    std::uint64_t RecordTime(std::span<const std::uint8_t> record);
    std::u16string ConvertName(std::span<const std::uint8_t> identifier) const;
    std::u16string PathTableName(std::size_t record) const;
    void Release();

    std::unique_ptr<BufferedInputFile> file_;
    bool joliet_ = false;
    std::uint64_t image_size_ = 0;
    std::vector<std::uint8_t> path_table_;
    std::vector<std::uint64_t> record_offsets_;
    std::uint64_t next_record_ = 0;
    std::int32_t bytes_left_ = 0;
    std::uint64_t position_ = 0;
    std::u16string directory_;
    bool trans_tbl_listed_ = false;
    std::array<std::uint8_t, 6> last_date_{};  // the date last converted, and its time
    std::uint64_t last_time_ = 0;
};

}  // namespace kub
