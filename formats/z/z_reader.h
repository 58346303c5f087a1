#pragma once
// The compress reader (registry index 14): a .Z file is one item of unknown unpacked size. Under
// the tar reader it delivers the decompressed data through our LZW decoder.
//
// Stream state: the decoder writes to `output_`, which counts what was delivered since
// OpenStream. Decoding goes on only while fewer bytes wait than a read asked for; `stream_ended_`
// is set when the codes end, the data is damaged or the output could not grow.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/buffered_input_file.h"
#include "formats/decoded_bytes.h"
#include "formats/z/lzw_decoder.h"

namespace kub {

class ZReader final : public SingleStreamReader, private LzwInput, private LzwOutput {
public:
    explicit ZReader(const ReaderOptions* options);
    ~ZReader() override;

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
    std::size_t ReadGroup(std::span<std::uint8_t> out) override;
    bool Write(std::span<const std::uint8_t> bytes) override;

    std::u16string archive_name_;
    std::u16string default_item_name_;
    std::unique_ptr<BufferedInputFile> file_;
    std::int64_t file_size_ = 0;
    bool item_pending_ = false;

    std::unique_ptr<LzwDecoder> decoder_;
    DecodedBytes output_;
    bool collect_ = false;
    bool stream_ended_ = false;
};

}  // namespace kub
