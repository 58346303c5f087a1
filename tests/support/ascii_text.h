#pragma once
// UTF-16 text shown in a test failure message: ASCII kept, everything else as '?'.
#include <string>
#include <string_view>

namespace kub::test {

inline std::string ascii_text(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace kub::test
