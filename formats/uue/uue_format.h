#pragma once
// Uuencoded and xxencoded text as far as the reader needs it. An encoded file is a section
//
//   begin MODE NAME
//   L.........      data lines: the first character encodes the line's byte count (0 to 45)
//   `               (xxencode: "+") a line of count 0
//   end
//
// Data characters are 6-bit values through an alphabet of 64 characters (position = value).
// A line "table" followed by lines holding 64 characters replaces the alphabet; a line
// "section ... xxencode ..." switches to the xxencode one.
#include <cstddef>
#include <string_view>

namespace kub::uue {

// The grave accent is 0, then 0x21 to 0x5F in code order; a blank decodes to 0 too.
inline constexpr std::string_view kUuAlphabet =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
inline constexpr std::string_view kXxAlphabet = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline constexpr std::size_t kAlphabetSize = 64;
inline constexpr unsigned char kNotACode = 255;

inline constexpr std::string_view kBegin = "begin";
inline constexpr std::string_view kEnd = "end";
inline constexpr std::string_view kTable = "table";
inline constexpr std::string_view kSection = "section";
inline constexpr std::string_view kXxencode = "xxencode";

// The part of the file searched for a "begin" line when it is offered.
inline constexpr std::size_t kDetectionBytes = 8192;
// Characters of a line kept; the rest of a longer line is dropped.
inline constexpr std::size_t kMaxLineChars = 511;

}  // namespace kub::uue
