#pragma once
// The UUE reader (registry index 13): text holding uuencoded or xxencoded files, each
// "begin" ... "end" section listed as one item whose size is the sum of its data lines' byte
// counts. Nothing is decoded beyond those counts.
//
// State: the file is read forward a line at a time; `table_` maps a character to its 6-bit value
// (uue::kNotACode for others) and changes with "table" and "section ... xxencode" lines.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "formats/archive_reader.h"
#include "formats/buffered_input_file.h"

namespace kub {

// Whether the head of a file looks like encoded text for a file of this name: a "begin" line
// with a mode, and no more than two words unless the name ends in .uue or .xxe.
bool LooksLikeEncodedText(std::span<const std::uint8_t> head, std::u16string_view path);

class UueReader final : public ArchiveReader {
public:
    explicit UueReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

private:
    // The next line; false at the end of the file (a last line without its line end is lost).
    bool ReadLine(std::string& line);
    // Reads lines up to one that starts with the keyword; the others are data lines.
    bool SearchKeyword(std::string_view keyword, std::string& remainder);
    void ProcessDataLine(const std::string& line);
    void UseAlphabet(std::string_view alphabet, bool blank_is_zero);

    std::unique_ptr<BufferedInputFile> file_;
    std::array<std::uint8_t, 256> table_{};
    std::uint32_t total_ = 0;
};

}  // namespace kub
