#include <locale.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "common/os/os_text.h"

// Case and number formatting for the native build. The process's own locale is left alone (it is
// "C" in tools and tests); case mapping uses a private UTF-8 locale so that letters beyond ASCII
// fold as they do on the shipped system.
namespace kub::os {
namespace {

constexpr char16_t kDefaultThousandsSeparator = u',';
constexpr size_t kGroupSize = 3;

char16_t g_thousands_separator = kDefaultThousandsSeparator;

locale_t case_locale() {
    static locale_t locale = [] {
        locale_t made = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (made == static_cast<locale_t>(nullptr))
            made = ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
        return made;
    }();
    return locale;
}

// Surrogates are left alone: they are halves of characters outside the mapping of one unit.
bool is_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

char16_t upper_unit(char16_t unit) {
    if (is_surrogate(unit)) return unit;
    wint_t mapped = ::towupper_l(unit, case_locale());
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : unit;
}

char16_t lower_unit(char16_t unit) {
    if (is_surrogate(unit)) return unit;
    wint_t mapped = ::towlower_l(unit, case_locale());
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : unit;
}

}  // namespace

// Lower case as the common form, so that "_" and other marks between the two ASCII letter ranges
// sort before letters, as they do in the system's string sort.
int compare_ignoring_case(std::u16string_view a, std::u16string_view b) {
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char16_t x = lower_unit(a[i]);
        char16_t y = lower_unit(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::u16string to_upper(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& unit : result) unit = upper_unit(unit);
    return result;
}

std::u16string to_lower(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& unit : result) unit = lower_unit(unit);
    return result;
}

std::u16string group_thousands(std::u16string_view digits) {
    std::u16string result;
    result.reserve(digits.size() + digits.size() / kGroupSize);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % kGroupSize == 0) result.push_back(g_thousands_separator);
        result.push_back(digits[i]);
    }
    return result;
}

bool select_thousands_separator(char16_t separator) {
    g_thousands_separator = separator;
    return true;
}

}  // namespace kub::os
