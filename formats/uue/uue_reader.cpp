#include "formats/uue/uue_reader.h"

#include <algorithm>

#include "common/files/path_ops.h"
#include "common/text/encoding.h"
#include "common/text/text_compare.h"
#include "common/time/common_time.h"
#include "formats/format_registry.h"
#include "formats/uue/uue_format.h"

namespace kub {

using namespace uue;

namespace {

bool is_blank(std::uint8_t c) { return c == ' ' || c == '\t'; }
bool is_line_end(std::uint8_t c) { return c == '\r' || c == '\n'; }

bool starts_with_keyword(const std::string& line, std::string_view keyword) {
    return line.compare(0, keyword.size(), keyword) == 0 &&
           (line.size() == keyword.size() || is_blank(static_cast<std::uint8_t>(line[keyword.size()])));
}

}  // namespace

std::unique_ptr<ArchiveReader> create_uue_reader(const ReaderOptions* options) {
    return std::make_unique<UueReader>(options);
}

bool LooksLikeEncodedText(std::span<const std::uint8_t> head, std::u16string_view path) {
    std::span<const std::uint8_t> text = head.first(std::min(head.size(), kDetectionBytes));
    if (text.size() < 7) return false;
    for (std::size_t i = 0; i <= text.size() - 7; ++i) {
        if (i != 0 && !is_line_end(text[i - 1])) continue;
        if (!std::equal(kBegin.begin(), kBegin.end(), text.begin() + static_cast<std::ptrdiff_t>(i)) ||
            !is_blank(text[i + kBegin.size()]))
            continue;
        // The words of the rest of the line; the first is the mode.
        int words = 0;
        bool digit_in_mode = false;
        for (std::size_t j = i + kBegin.size(); j + 1 < text.size() && !is_line_end(text[j]); ++j) {
            std::uint8_t next = text[j + 1];
            if (is_blank(text[j]) && !is_blank(next) && !is_line_end(next)) ++words;
            if (words == 1 && next >= '0' && next <= '9') digit_in_mode = true;
        }
        if (!digit_in_mode) return false;
        return words < 3 || has_extension(path, u"uue") || has_extension(path, u"xxe");
    }
    return false;
}

void UueReader::UseAlphabet(std::string_view alphabet, bool blank_is_zero) {
    table_.fill(kNotACode);
    for (std::size_t i = 0; i < alphabet.size() && i < kAlphabetSize; ++i)
        table_[static_cast<std::uint8_t>(alphabet[i])] = static_cast<std::uint8_t>(i);
    if (blank_is_zero) table_[' '] = 0;
}

bool UueReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)start_offset;
    (void)flags;
    file_.reset();
    if (!LooksLikeEncodedText(head, path)) return false;
    std::u16string_view ext = extension(path);
    bool xx = ext.size() >= 3 && to_upper_text(ext.substr(0, 3)) == u".XX";
    UseAlphabet(xx ? kXxAlphabet : kUuAlphabet, !xx);
    auto file = std::make_unique<BufferedInputFile>();
    file->report_errors = false;
    if (!file->Open(path)) return false;
    file_ = std::move(file);
    return true;
}

void UueReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"UUE";
    file_.reset();
}

std::u16string UueReader::GetExtensions() { return u"uue|xxe|uu"; }

bool UueReader::ReadLine(std::string& line) {
    line.clear();
    int c;
    do {
        c = file_->ReadByte();
        if (c < 0) return false;
    } while (c <= 31);
    while (c > 31) {
        if (line.size() < kMaxLineChars) line += static_cast<char>(c);
        c = file_->ReadByte();
        if (c < 0) return false;
    }
    return true;
}

void UueReader::ProcessDataLine(const std::string& line) {
    if (line == kTable) {
        std::string alphabet;
        std::string part;
        while (alphabet.size() < kAlphabetSize && ReadLine(part)) alphabet += part;
        if (alphabet.size() == kAlphabetSize) UseAlphabet(alphabet, false);
        return;
    }
    if (line.compare(0, kSection.size(), kSection) == 0 && line.find(kXxencode) != std::string::npos) {
        UseAlphabet(kXxAlphabet, false);
        return;
    }
    if (line.empty()) return;
    std::uint8_t count = table_[static_cast<std::uint8_t>(line[0])];
    if (count != kNotACode) total_ += count;
}

bool UueReader::SearchKeyword(std::string_view keyword, std::string& remainder) {
    std::string line;
    while (ReadLine(line)) {
        if (starts_with_keyword(line, keyword)) {
            std::size_t from = keyword.size();
            while (from < line.size() && is_blank(static_cast<std::uint8_t>(line[from]))) ++from;
            remainder = line.substr(from);
            return true;
        }
        ProcessDataLine(line);
    }
    return false;
}

int UueReader::ReadItem(ItemHeader& item) {
    if (!file_) return kNoMoreItems;
    std::string remainder;
    if (!SearchKeyword(kBegin, remainder)) return kNoMoreItems;
    std::size_t blank = remainder.find_first_of(" \t");
    std::string name = blank == std::string::npos ? remainder : remainder.substr(blank + 1);
    ansi_to_wide(name, item.Name, kItemNameCapacity);
    std::replace(item.Name.begin(), item.Name.end(), u'/', u'\\');

    total_ = 0;
    std::string end_rest;
    while (SearchKeyword(kEnd, end_rest) && !end_rest.empty()) {
    }
    item.UnpackedSize = total_;
    item.PackedSize = std::uint64_t{total_} * 4 / 3;
    item.ModTime = time_now();
    return kItemRead;
}

}  // namespace kub
