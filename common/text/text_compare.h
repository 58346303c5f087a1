#pragma once
// Comparison and case of wide text with the user's default locale, ignoring case.
#include <cstddef>
#include <string>
#include <string_view>

namespace kub {

// Negative, 0 or positive; 0 when the texts are equal ignoring case.
int compare_text(std::u16string_view a, std::u16string_view b);

// The same over at most n units of each text.
int compare_text_n(std::u16string_view a, std::u16string_view b, std::size_t n);

std::u16string to_upper_text(std::u16string_view text);
std::u16string to_lower_text(std::u16string_view text);

// Upper case of one character. "i" is always "I": in a Turkish locale the system would give a
// dotted capital, and archive names and switches compared through this must not change.
char16_t to_upper_char(char16_t ch);

}  // namespace kub
