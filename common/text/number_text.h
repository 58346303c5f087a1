#pragma once
// Numbers as text: decimal digits, thousands separators, sizes with their units, percentages.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kub {

// String ids of the size units: bytes, KB, MB, GB, TB (4151 is not a unit).
inline constexpr unsigned kUnitTextBytes = 4150;
inline constexpr unsigned kUnitTextKB = 4152;
inline constexpr unsigned kUnitTextMB = 4153;
inline constexpr unsigned kUnitTextGB = 4154;
inline constexpr unsigned kUnitTextTB = 4155;

// Value of the leading decimal digits; 0 when there are none. Too many digits saturate at the
// largest value instead of wrapping round to a small one.
std::uint64_t parse_decimal(std::u16string_view text);
std::uint64_t parse_decimal(std::string_view text);

std::u16string decimal_text(std::uint64_t value);

// The value grouped by the user's thousands separator, within a buffer of size units.
std::u16string with_thousands_separators(std::uint64_t value, std::size_t size);

// The text of a size unit.
std::u16string unit_text(unsigned id);

// "1,000 字节", "1 MB": the value divided by 1024 while it is above 1000000 or a non-zero
// multiple of 1024, at most four times, then grouped and followed by a space and the unit.
std::u16string size_text(std::uint64_t bytes, std::size_t size);

// a × 100 / b, 0 when b is 0. Computed wide enough that sizes near the top of the 64-bit range
// (an unknown size is 0x7FFFFFFF7FFFFFFF) give their true ratio; a ratio beyond 64 bits
// saturates.
std::uint64_t percent(std::uint64_t a, std::uint64_t b);

// As percent, but 100 when b < a.
std::uint64_t bounded_percent(std::uint64_t a, std::uint64_t b);

}  // namespace kub
