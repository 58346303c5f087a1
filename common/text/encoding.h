#pragma once
// Conversions between the system's narrow code pages and UTF-16. Each result stands for a buffer
// of `size` units, terminator included; a result that does not fit is cut at a character
// boundary and the conversion reports false. kNoSizeLimit converts everything.
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace kub {

inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// Narrow text ends at its first zero byte, wide text at its first zero unit, as in a buffer.
bool ansi_to_wide(std::string_view text, std::u16string& out, std::size_t size = kNoSizeLimit);
bool wide_to_ansi(std::u16string_view text, std::string& out, std::size_t size = kNoSizeLimit);
bool oem_to_wide(std::string_view text, std::u16string& out, std::size_t size = kNoSizeLimit);

// OEM code page to ANSI code page, as the system converts: characters the ANSI code page lacks
// become its replacement.
std::string oem_to_ansi(std::string_view text);

// Decodes UTF-8 up to its terminator. False at the first invalid sequence (a byte that cannot
// start one, a missing continuation byte, a code point above 0x10FFFF), with the text decoded
// before it kept; a full buffer stops decoding without making the input invalid.
bool utf8_to_wide(std::string_view bytes, std::u16string& out, std::size_t size = kNoSizeLimit);

}  // namespace kub
