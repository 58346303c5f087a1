#include "shellext/core/pages/comment_text.h"

#include <cstdint>
#include <string>
#include <vector>

#include "common/text/encoding.h"
#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "formats/zip/zip_reader.h"
#include "shellext/core/pages/comment_dump.h"

namespace kub {
namespace {

constexpr char16_t kCtrlZ = u'\x1A';

// Every byte becomes a character: a zero byte does not end the conversion, so the text keeps
// the length the archive gives it.
std::u16string ansi_bytes_to_wide(const std::vector<std::uint8_t>& bytes) {
    std::u16string out;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != 0) ++end;
        std::u16string piece;
        ansi_to_wide(
            std::string_view(reinterpret_cast<const char*>(bytes.data()) + start, end - start),
            piece);
        out += piece;
        if (end == bytes.size()) break;
        out.push_back(u'\0');
        start = end + 1;
    }
    return out;
}

std::u16string raw_comment_text(std::u16string_view path, const ArchiverLauncher& launch) {
    ArchiveAnalysis analysis;
    if (analysis.Analyze(path, true, 0) != kAnalyzeArchive) return {};
    switch (analysis.summary().ReaderIndex) {
        case kKubReaderIndex: {
            // Only the archiver reads every generation's comment (packed, encrypted...).
            std::optional<std::u16string> dump = run_comment_dump(path, launch);
            return dump ? std::move(*dump) : std::u16string();
        }
        case kZipReaderIndex:
            return ansi_bytes_to_wide(ReadZipComment(path));
        default:
            return analysis.GetCommentW(false);
    }
}

}  // namespace

std::u16string tidy_comment_text(std::u16string_view text) {
    text = text.substr(0, text.find(kCtrlZ));
    std::u16string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out.push_back(u'\r');
        out.push_back(text[i]);
    }
    return out;
}

std::u16string archive_comment_text(std::u16string_view path, const ArchiverLauncher& launch) {
    return tidy_comment_text(raw_comment_text(path, launch));
}

std::u16string_view shown_comment_text(std::u16string_view text) {
    text = text.substr(0, kMaxShownCommentUnits);
    if (!text.empty() && (text[0] == u'\xFEFF' || text[0] == u'\xFFFE')) text.remove_prefix(1);
    return text;
}

}  // namespace kub
