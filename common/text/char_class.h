#pragma once
// Character classes that do not depend on the locale.
#include <string_view>

namespace kub {

template <typename Char>
constexpr bool is_digit(Char ch) {
    return ch >= Char('0') && ch <= Char('9');
}

// Space or tab.
template <typename Char>
constexpr bool is_space(Char ch) {
    return ch == Char(' ') || ch == Char('\t');
}

template <typename Char>
constexpr bool is_ascii_letter(Char ch) {
    return (ch >= Char('A') && ch <= Char('Z')) || (ch >= Char('a') && ch <= Char('z'));
}

// True when every byte up to the terminator (or the end) lies from 32 to 127.
constexpr bool is_plain_text(std::string_view text) {
    for (char ch : text) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (byte == 0) break;
        if (byte < 32 || byte > 127) return false;
    }
    return true;
}

}  // namespace kub
