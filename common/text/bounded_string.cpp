#include "common/text/bounded_string.h"

#include <algorithm>

#include "common/text/double_byte_table.h"
#include "common/text/encoding.h"
#include "common/text/text_compare.h"

namespace kub {
namespace {

template <typename Char>
void copy_any(std::basic_string<Char>& out, std::basic_string_view<Char> text, std::size_t size) {
    if (size == 0) return;
    out.assign(text.substr(0, size - 1));
}

template <typename Char>
void append_any(std::basic_string<Char>& out, std::basic_string_view<Char> text, std::size_t size) {
    if (out.size() + 1 >= size) return;
    out.append(text.substr(0, size - out.size() - 1));
}

template <typename Char>
void quote_any(std::basic_string<Char>& text, std::size_t size) {
    constexpr Char kQuote = Char('"');
    bool enclosed = text.size() >= 2 && text.front() == kQuote && text.back() == kQuote;
    if (enclosed || text.find(Char(' ')) == std::basic_string<Char>::npos) return;
    // Two quotes and at least one character of the text must fit, or quoting makes no sense.
    if (size < 4) return;
    std::size_t inner = std::min(text.size(), size - 3);
    std::basic_string<Char> quoted;
    quoted.reserve(inner + 2);
    quoted.push_back(kQuote);
    quoted.append(text, 0, inner);
    quoted.push_back(kQuote);
    text = std::move(quoted);
}

bool wide_ends_with(std::u16string_view text, std::u16string_view suffix) {
    if (suffix.size() > text.size()) return false;
    return compare_text(text.substr(text.size() - suffix.size()), suffix) == 0;
}

}  // namespace

void copy_bounded(std::u16string& out, std::u16string_view text, std::size_t size) {
    copy_any(out, text, size);
}
void copy_bounded(std::string& out, std::string_view text, std::size_t size) {
    copy_any(out, text, size);
}

void copy_bounded_chars(std::string& out, std::string_view text, std::size_t size) {
    out.clear();
    if (size == 0) return;
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = next_char_pos(text, end);
        if (next > size - 1) break;
        end = next;
    }
    out.assign(text.substr(0, end));
}

void append_bounded(std::u16string& out, std::u16string_view text, std::size_t size) {
    append_any(out, text, size);
}
void append_bounded(std::string& out, std::string_view text, std::size_t size) {
    append_any(out, text, size);
}

std::size_t find_last(std::u16string_view text, char16_t ch) {
    return text.rfind(ch);
}

std::size_t find_last(std::string_view text, char ch) {
    std::size_t found = std::string_view::npos;
    for (std::size_t pos = 0; pos < text.size(); pos = next_char_pos(text, pos))
        if (text[pos] == ch) found = pos;
    return found;
}

std::size_t char_after(std::u16string_view text, std::size_t pos) {
    return std::min(pos + 1, text.size());
}
std::size_t char_after(std::string_view text, std::size_t pos) {
    return next_char_pos(text, pos);
}

void quote_if_needed(std::u16string& text, std::size_t size) {
    quote_any(text, size);
}
void quote_if_needed(std::string& text, std::size_t size) {
    quote_any(text, size);
}

bool ends_with_text(std::u16string_view text, std::u16string_view suffix) {
    return wide_ends_with(text, suffix);
}

// Compared as wide text, so that a double-byte character is never split at the tail.
bool ends_with_text(std::string_view text, std::string_view suffix) {
    std::u16string wide_text, wide_suffix;
    if (!ansi_to_wide(text, wide_text) || !ansi_to_wide(suffix, wide_suffix)) return false;
    return wide_ends_with(wide_text, wide_suffix);
}

}  // namespace kub
