#pragma once
// Bounded strings. Each text stands for a buffer of `size` units, terminator included, so it
// holds at most size - 1 units; callers rely on the cut at their buffer sizes. A size of 0 is a
// buffer with no room at all: nothing is written.
#include <cstddef>
#include <string>
#include <string_view>

namespace kub {

// Copies at most size - 1 units of text.
void copy_bounded(std::u16string& out, std::u16string_view text, std::size_t size);
void copy_bounded(std::string& out, std::string_view text, std::size_t size);

// Copies at most size - 1 bytes of ANSI text, cut before a double-byte character that would not
// fit whole (a lone lead byte would join the terminator or the next text into a wrong character).
void copy_bounded_chars(std::string& out, std::string_view text, std::size_t size);

// Appends while out + 1 is below size: at most size - length - 1 units; a full buffer is left as
// it is.
void append_bounded(std::u16string& out, std::u16string_view text, std::size_t size);
void append_bounded(std::string& out, std::string_view text, std::size_t size);

// Position of the last occurrence of ch, or npos. Narrow text is walked character by character
// in the ANSI code page, so the second byte of a double-byte character never matches (it can be
// 0x5C, the path separator, in code page 936).
std::size_t find_last(std::u16string_view text, char16_t ch);
std::size_t find_last(std::string_view text, char ch);

// Position of the character after the one at pos, never beyond the end of text.
std::size_t char_after(std::u16string_view text, std::size_t pos);
std::size_t char_after(std::string_view text, std::size_t pos);

// Encloses text in double quotes when it holds a space and is not already enclosed. The quoted
// form keeps both quotes within size: when it would not fit, the inner text is cut instead.
void quote_if_needed(std::u16string& text, std::size_t size);
void quote_if_needed(std::string& text, std::size_t size);

// Whether text ends with suffix, compared ignoring case as compare_text does.
bool ends_with_text(std::u16string_view text, std::u16string_view suffix);
bool ends_with_text(std::string_view text, std::string_view suffix);

}  // namespace kub
