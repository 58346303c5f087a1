#pragma once
// The tar reader (registry index 6): ustar and GNU tar files, plain or inside a single-stream
// compressed file (gzip now; bzip2, xz and compress through the same stream operations).
//
// State: `position_` is where the next header starts, in the file or in the decompressed
// stream; it only grows (a header whose successor would not lie further on is damage), which
// bounds the listing by the data. Plain files are read through a window, so the headers of small
// members that lie close together cost one read.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/files/disk_file.h"
#include "formats/archive_reader.h"

namespace kub {

class TarReader final : public ArchiveReader {
public:
    explicit TarReader(const ReaderOptions* options) : ArchiveReader(options) {}
    ~TarReader() override;

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    bool ClaimsName(std::u16string_view path) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

    // The stream reader under a compressed tar; null for a plain one.
    SingleStreamReader* inner_stream() const { return inner_.get(); }
    // The process-wide count of long-name headers being followed (0 between listings).
    static int long_name_nesting();

private:
    // ReadItem's loop: headers until one that is not an extended header.
    int ReadHeaders(ItemHeader& item, bool nested);
    int ReadOneHeader(ItemHeader& item, bool nested, bool& extended);
    // Reads at the current source position (which Seek sets): a count of bytes, -1 on failure.
    bool SeekSource(std::uint64_t position, int& result);
    std::int64_t ReadSource(std::span<std::uint8_t> buffer);
    void ReleaseSource();

    std::u16string archive_name_;
    std::unique_ptr<SingleStreamReader> inner_;
    std::unique_ptr<DiskFile> file_;
    std::uint64_t file_size_ = 0;
    std::uint64_t position_ = 0;
    // Plain files: the read window and the source position within the file.
    std::vector<std::uint8_t> window_;
    std::uint64_t window_start_ = 0;
    std::uint64_t read_at_ = 0;
};

}  // namespace kub
