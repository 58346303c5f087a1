#include "common/language/language_file.h"

#include <algorithm>
#include <cstdint>

#include "common/text/encoding.h"

namespace kub {
namespace {

constexpr std::u16string_view kLtr = u"LTR";
constexpr std::u16string_view kRtl = u"RTL";
// The key is followed by "=" and the value.
constexpr std::size_t kValueOffset = kKeyDigits + 1;
// Digits beyond this add nothing a dialog could use and would only overflow.
constexpr unsigned kFactorMax = 100000;

// Reads from `offset` until `size` bytes are in or the file ends.
std::vector<std::uint8_t> read_span(const ReadAt& read, std::uint64_t offset, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::size_t have = 0;
    while (have < size) {
        std::ptrdiff_t got = read(offset + have, std::span(bytes).subspan(have));
        if (got <= 0) break;
        have += std::min(static_cast<std::size_t>(got), size - have);
    }
    bytes.resize(have);
    return bytes;
}

std::u16string decode(const std::vector<std::uint8_t>& bytes, LanguageEncoding encoding) {
    std::u16string text;
    if (encoding == LanguageEncoding::kUtf16le) {
        text.resize(bytes.size() / 2);
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    } else {
        // A zero byte ends the text, as a zero character does after decoding.
        ansi_to_wide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                     text);
    }
    if (text.size() > kLanguageTextMaxChars) text.resize(kLanguageTextMaxChars);
    return text;
}

unsigned parse_factor(std::u16string_view s) {
    unsigned value = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') break;
        value = std::min(value * 10 + static_cast<unsigned>(c - u'0'), kFactorMax);
    }
    return value;
}

bool starts_with_key(std::u16string_view line, const LanguageKey& key) {
    return line.size() >= kKeyDigits && std::equal(key.begin(), key.end(), line.begin());
}

}  // namespace

bool LanguageFile::load(const ReadAt& read) {
    unload();
    auto marker = find_language_marker(read);
    if (!marker) return false;
    text_ = decode(read_span(read, marker->offset, kLanguageReadMaxBytes), marker->encoding);
    unescape();
    if (text_.empty()) return false;
    build_index();
    loaded_ = true;
    return true;
}

void LanguageFile::unload() {
    text_.clear();
    text_.shrink_to_fit();
    index_.clear();
    index_.shrink_to_fit();
    loaded_ = false;
    right_to_left_ = false;
}

// Escapes are undone in place, and every CR and LF becomes a separator, so an escaped line break
// inside a value is not a line end. A zero character ends the text.
void LanguageFile::unescape() {
    std::size_t out = 0;
    for (std::size_t in = 0; in < text_.size(); ++in) {
        char16_t c = text_[in];
        if (c == 0) break;
        if (c == u'\r' || c == u'\n') {
            c = kLineSeparator;
        } else if (c == u'\\' && in + 1 < text_.size()) {
            switch (text_[in + 1]) {
                case u'"': c = u'"'; ++in; break;
                case u'\\': c = u'\\'; ++in; break;
                case u'n': c = u'\n'; ++in; break;
                case u'r': c = u'\r'; ++in; break;
                case u't': c = u'\t'; ++in; break;
                default: break;  // the backslash stays, the next character is read normally
            }
        }
        text_[out++] = c;
    }
    text_.resize(out);
}

void LanguageFile::build_index() {
    index_.clear();
    for (std::size_t p = 1; p + kValueOffset <= text_.size(); ++p)
        if (text_[p - 1] == kLineSeparator && text_[p] != kLineSeparator) index_.push_back(p);
    std::u16string_view text = text_;
    // Stable, so of two lines with one key the earlier in the file is found.
    std::stable_sort(index_.begin(), index_.end(), [text](std::size_t a, std::size_t b) {
        return text.substr(a, kKeyDigits) < text.substr(b, kKeyDigits);
    });
}

std::size_t LanguageFile::find_line(const LanguageKey& key) const {
    std::u16string_view text = text_;
    std::u16string_view wanted(key.data(), key.size());
    auto it = std::lower_bound(index_.begin(), index_.end(), wanted,
                               [text](std::size_t p, std::u16string_view k) {
                                   return text.substr(p, kKeyDigits) < k;
                               });
    if (it != index_.end() && text.substr(*it, kKeyDigits) == wanted) return *it;

    // Lines the index leaves out (the first line) are found by a plain scan.
    for (std::size_t p = 0; p < text.size();) {
        while (p < text.size() && text[p] == kLineSeparator) ++p;
        std::size_t end = text.find(kLineSeparator, p);
        std::u16string_view line = text.substr(p, end == text.npos ? text.npos : end - p);
        if (starts_with_key(line, key) && line.substr(kKeyDigits, 2) == u"=\"") return p;
        if (end == text.npos) break;
        p = end;
    }
    return std::u16string_view::npos;
}

std::u16string LanguageFile::translate(std::u16string_view text, TranslationKind kind,
                                       std::u16string_view context, std::size_t size) const {
    std::size_t room = size > 0 ? size - 1 : 0;
    std::size_t line = loaded_ ? find_line(language_key(kind, context, text))
                               : std::u16string_view::npos;
    if (line == std::u16string_view::npos) return std::u16string(text.substr(0, room));

    std::u16string_view rest = std::u16string_view(text_).substr(line + kValueOffset);
    if (!rest.empty() && rest.front() == u'"') rest.remove_prefix(1);
    std::size_t end = rest.find(kLineSeparator);
    std::size_t length = end != rest.npos ? end : std::min(rest.size(), kLastLineValueMaxChars);
    std::u16string_view value = rest.substr(0, std::min(length, room));
    std::size_t quote = value.rfind(u'"');
    if (quote != value.npos) value = value.substr(0, quote);
    return std::u16string(value);
}

SizeFactors LanguageFile::size_factors(std::u16string_view dialog_name) const {
    std::u16string factors_text = translate({}, TranslationKind::kDialog, dialog_name);
    std::size_t star = factors_text.find(u'*');
    if (star == factors_text.npos) return {};
    std::u16string_view s = factors_text;
    return {parse_factor(s), parse_factor(s.substr(star + 1))};
}

void LanguageFile::settle_direction(bool source_has_rtl_dialog) {
    right_to_left_ = source_has_rtl_dialog ||
                     translate(kLtr, TranslationKind::kDialog, kLtr) == kRtl;
}

LanguageFile& language_file() {
    static LanguageFile file;
    return file;
}

}  // namespace kub
