#pragma once
// The gzip reader (registry index 3): a gzip file is one item whose sizes come from the file and
// the last member's trailer; it is never decompressed for that. Under the tar reader it delivers
// the decompressed data of all its members as one forward-only stream.
//
// Stream state: the inflater decodes from `file_` (read in large pieces into `input_`) into its
// window and hands what it decoded to this reader, which checksums it and, in collect mode,
// appends it to `output_`, which counts what was delivered since OpenStream. Decoding goes on
// only while fewer bytes wait than a read asked for, so the output holds one read plus one window
// at most.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/buffered_input_file.h"
#include "formats/decoded_bytes.h"
#include "formats/gzip/gzip_format.h"
#include "formats/gzip/inflate.h"

namespace kub {

class GzipReader final : public SingleStreamReader, private InflateSource, private InflateSink {
public:
    explicit GzipReader(const ReaderOptions* options);
    ~GzipReader() override;

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

    bool OpenStream(std::u16string_view path) override;
    void CloseStream() override;
    std::size_t ReadStream(std::span<std::uint8_t> buffer, bool& error) override;
    std::int64_t SkipTo(std::uint64_t position) override;

    // Bytes of the archive file consumed so far (progress of a stream read).
    std::int64_t FilePosition();
    std::int64_t FileSize() const { return file_size_; }

private:
    std::span<const std::uint8_t> Take() override;
    void Write(std::span<const std::uint8_t> bytes) override;

    bool ReadFixedHeader(gzip::FixedHeader& header);
    // The optional fields after a fixed header; false when a field is cut off where its length
    // must be read.
    bool ReadOptionalFields(std::uint8_t flags, ItemHeader& item);
    void ReadTrailerFacts(ItemHeader& item);
    // Decodes until `count` bytes wait or the data ends.
    void Produce(std::size_t count);
    // After a member's last block: its trailer, and the next member's header if one follows.
    void EndMember();
    // Moves up to `count` waiting bytes to `out` (or drops them when `out` is null).
    // Moves forward to a decompressed position, dropping the data; false when the data ended
    // (or a block failed) first.
    bool DiscardUpTo(std::uint64_t position);
    void NoteInputEnd();

    std::u16string archive_name_;
    std::u16string default_item_name_;
    std::unique_ptr<BufferedInputFile> file_;
    std::int64_t file_size_ = 0;
    bool header_pending_ = false;
    gzip::FixedHeader header_;

    std::unique_ptr<Inflater> inflater_;
    std::vector<std::uint8_t> input_;  // the compressed piece the inflater works on
    std::uint32_t crc_ = 0xFFFFFFFFu;
    DecodedBytes output_;
    std::uint64_t discard_ = 0;  // decoded bytes still to drop for a skip
    bool collect_ = false;
    bool stream_ended_ = false;
    bool input_ended_ = false;
};

// The name the item of a gzip file without a stored name gets: the archive's file name without
// its extension, or with ".out" appended when it has none.
std::u16string GzipDefaultItemName(std::u16string_view archive_path);

// The host system named by a gzip OS byte; false for values the table does not know (15 and up).
bool GzipHostName(std::uint8_t os, std::u16string& name);

}  // namespace kub
