#pragma once
// Which bytes of the ANSI code page start a two-byte character, built from the system once per
// code page.
#include <array>
#include <cstddef>
#include <string_view>

namespace kub {

struct DoubleByteTable {
    std::array<bool, 256> lead{};
    bool multi_byte = false;  // the code page has characters of more than one byte
};

// The table of the ANSI code page in effect.
const DoubleByteTable& ansi_double_byte_table();

// Position of the next character of narrow text after pos: two bytes on for a lead byte followed
// by a non-zero byte, otherwise one; never beyond the end of text.
std::size_t next_char_pos(std::string_view text, std::size_t pos);

}  // namespace kub
