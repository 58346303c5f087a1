#pragma once
// The bzip2 reader (registry index 4): a bzip2 file is one item of unknown unpacked size. Under
// the tar reader it delivers the decompressed data of all its streams as one forward-only
// stream, one read layer per bzip2 stream.
//
// Stream state: `file_` is open only between OpenStream and CloseStream; `layer_` decodes the
// current bzip2 stream (null once the data has ended or a stream failed); `delivered_` counts
// the bytes handed out since OpenStream.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/files/disk_file.h"
#include "formats/archive_reader.h"
#include "formats/bzip2/bzip2_read_layer.h"

namespace kub {

class Bzip2Reader final : public SingleStreamReader {
public:
    explicit Bzip2Reader(const ReaderOptions* options);
    ~Bzip2Reader() override;

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

    bool OpenStream(std::u16string_view path) override;
    void CloseStream() override;
    std::size_t ReadStream(std::span<std::uint8_t> buffer, bool& error) override;
    std::int64_t SkipTo(std::uint64_t position) override;

private:
    std::u16string default_item_name_;  // empty once the item was returned
    std::int64_t file_size_ = 0;
    std::unique_ptr<DiskFile> file_;
    std::int64_t file_position_ = 0;
    std::unique_ptr<Bzip2ReadLayer> layer_;
    std::uint64_t delivered_ = 0;
};

}  // namespace kub
