#pragma once
// The xz reader (registry index 5): an .xz file is one item whose sizes come from its stream
// indexes. Under the tar reader it delivers the decompressed data of all its streams (padding
// between them allowed) as one forward-only stream, decoded by liblzma.
//
// Stream state: `input_[input_pos_, input_fill_)` is read from the file and not yet consumed;
// `input_ended_` is set once the file gave nothing more (liblzma is then told to finish);
// `finished_` once liblzma reported the end or a failure, after which nothing more is read.
// Reads smaller than a chunk are served from `decoded_[decoded_pos_, decoded_fill_)`, decoded a
// chunk at a time: a tar's headers come 512 bytes at a time, and each call into liblzma costs
// far more than copying them. A failure met while filling a chunk (`failed_`) is reported once
// the bytes decoded before it are delivered.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <lzma.h>

#include "common/files/disk_file.h"
#include "formats/archive_reader.h"

namespace kub {

class XzReader final : public SingleStreamReader {
public:
    static constexpr std::size_t kInputSize = 32768;
    static constexpr std::size_t kDecodeChunk = 65536;

    explicit XzReader(const ReaderOptions* options);
    ~XzReader() override;

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
    void EndDecoder();
    // Decodes straight into `out`: the bytes made; `failed` when liblzma reported damage.
    std::size_t Decode(std::span<std::uint8_t> out, bool& failed);

    std::u16string default_item_name_;
    bool item_pending_ = false;
    std::unique_ptr<DiskFile> file_;

    lzma_stream decoder_ = LZMA_STREAM_INIT;
    bool decoder_started_ = false;
    std::vector<std::uint8_t> input_;
    std::size_t input_fill_ = 0;
    std::size_t input_pos_ = 0;
    bool input_ended_ = false;
    bool finished_ = false;
    bool failed_ = false;
    std::vector<std::uint8_t> decoded_;
    std::size_t decoded_pos_ = 0;
    std::size_t decoded_fill_ = 0;
    std::uint64_t delivered_ = 0;
};

}  // namespace kub
