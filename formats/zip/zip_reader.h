#pragma once
// The ZIP archive reader (registry index 1).
//
// State: while open, `file_` is the archive and `next_record_` the position of the next header
// to read: a central directory header, or in walk mode (no end record found) a local header.
// Every header is read into memory first and decoded from that copy, so a field beyond the bytes
// read reads as zero. The next record position only ever grows, which bounds the listing by the
// file size.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/files/disk_file.h"
#include "formats/archive_reader.h"

namespace kub {

class ZipReader final : public ArchiveReader {
public:
    explicit ZipReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;
    void NextVolumeName(std::u16string& name) override;

private:
    bool OpenChecked(std::u16string& path, std::span<const std::uint8_t> head,
                     std::int32_t& start_offset, int flags);
    int ReadItemChecked(ItemHeader& item);
    bool ReadExactly(std::uint64_t offset, std::span<std::uint8_t> buffer);
    // Reads through a window of the file: directory headers lie next to each other, so one read
    // serves many of them.
    std::size_t ReadThroughWindow(std::uint64_t offset, std::span<std::uint8_t> buffer);

    std::unique_ptr<DiskFile> file_;
    std::uint64_t file_size_ = 0;
    std::vector<std::uint8_t> window_;
    std::uint64_t window_start_ = 0;
    std::uint64_t next_record_ = 0;
    std::int64_t sfx_size_ = 0;
    bool walk_mode_ = false;
    bool zip64_ = false;
    bool has_comment_ = false;
};

// The archive comment of the ZIP file at `path`, as stored (bytes in the ANSI code page as a
// rule); empty when there is none or the file cannot be read.
std::vector<std::uint8_t> ReadZipComment(std::u16string_view path);

// The same on an open file; its position is left undefined.
std::vector<std::uint8_t> ReadZipComment(DiskFile& file);

}  // namespace kub
