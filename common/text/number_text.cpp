#include "common/text/number_text.h"

#include <limits>

#include "common/text/bounded_string.h"
#include "common/text/char_class.h"
#include "common/language/lang_string.h"
#include "common/os/os.h"

namespace kub {
namespace {

constexpr std::uint64_t kUnitBase = 1024;
constexpr std::uint64_t kLargestPlainSize = 1000000;
constexpr unsigned kSizeUnits[] = {kUnitTextBytes, kUnitTextKB, kUnitTextMB, kUnitTextGB,
                                   kUnitTextTB};
constexpr unsigned kMaxDivisions = 4;

template <typename Char>
std::uint64_t parse_any(std::basic_string_view<Char> text) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (Char ch : text) {
        if (!is_digit(ch)) break;
        unsigned digit = static_cast<unsigned>(ch - Char('0'));
        if (value > (kMax - digit) / 10) return kMax;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::uint64_t parse_decimal(std::u16string_view text) {
    return parse_any(text);
}
std::uint64_t parse_decimal(std::string_view text) {
    return parse_any(text);
}

std::u16string decimal_text(std::uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string with_thousands_separators(std::uint64_t value, std::size_t size) {
    std::u16string result;
    copy_bounded(result, os::group_thousands(decimal_text(value)), size);
    return result;
}

// The one door for unit texts, so that a language file can translate them.
std::u16string unit_text(unsigned id) {
    return LangString(id);
}

std::u16string size_text(std::uint64_t bytes, std::size_t size) {
    unsigned divisions = 0;
    while (divisions < kMaxDivisions &&
           (bytes > kLargestPlainSize || (bytes != 0 && bytes % kUnitBase == 0))) {
        bytes /= kUnitBase;
        ++divisions;
    }
    std::u16string result = with_thousands_separators(bytes, size);
    append_bounded(result, u" ", size);
    append_bounded(result, unit_text(kSizeUnits[divisions]), size);
    return result;
}

std::uint64_t percent(std::uint64_t a, std::uint64_t b) {
    if (b == 0) return 0;
    unsigned __int128 ratio = static_cast<unsigned __int128>(a) * 100 / b;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    return ratio > kMax ? kMax : static_cast<std::uint64_t>(ratio);
}

std::uint64_t bounded_percent(std::uint64_t a, std::uint64_t b) {
    return b < a ? 100 : percent(a, b);
}

}  // namespace kub
