#include <windows.h>

#include <array>
#include <climits>
#include <string>

#include "common/os/os_text.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {
namespace {

constexpr UINT kGrouping = 3;

int clamp_length(size_t length) {
    return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

// The first character of the user's thousands separator, read once: formatting sizes for a
// listing must not query the locale for every line.
const wchar_t* thousands_separator() {
    // Read by the first caller of any thread; the others wait for it.
    static const std::array<wchar_t, 2> separator = [] {
        std::array<wchar_t, 2> first{};
        wchar_t locale_value[8] = {};
        if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, locale_value, 8) > 0)
            first[0] = locale_value[0];
        return first;
    }();
    return separator.data();
}

std::u16string map_case(std::u16string_view text, bool upper) {
    std::u16string result(text);
    // CharUpperBuffW takes a DWORD count; longer text is left as it is beyond that.
    DWORD length = result.size() > MAXDWORD ? MAXDWORD : static_cast<DWORD>(result.size());
    if (length > 0) {
        if (upper)
            ::CharUpperBuffW(as_wcstr(result.data()), length);
        else
            ::CharLowerBuffW(as_wcstr(result.data()), length);
    }
    return result;
}

// The comparison refuses a null pointer even with length 0, and an empty view may have one.
const wchar_t* text_pointer(std::u16string_view text) {
    return text.data() != nullptr ? as_wcstr(text.data()) : L"";
}

}  // namespace

int compare_ignoring_case(std::u16string_view a, std::u16string_view b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT,
                            text_pointer(a), clamp_length(a.size()), text_pointer(b),
                            clamp_length(b.size())) -
           CSTR_EQUAL;
}

std::u16string to_upper(std::u16string_view text) {
    return map_case(text, true);
}

std::u16string to_lower(std::u16string_view text) {
    return map_case(text, false);
}

std::u16string group_thousands(std::u16string_view digits) {
    std::u16string input(digits);
    wchar_t decimal_separator[] = L".";
    NUMBERFMTW format = {};
    format.NumDigits = 0;
    format.LeadingZero = 0;
    format.Grouping = kGrouping;
    format.lpDecimalSep = decimal_separator;
    format.lpThousandSep = const_cast<wchar_t*>(thousands_separator());
    format.NegativeOrder = 1;
    int needed =
        ::GetNumberFormatW(LOCALE_USER_DEFAULT, 0, as_wcstr(input.c_str()), &format, nullptr, 0);
    if (needed <= 0) return input;
    std::u16string result(static_cast<size_t>(needed), u'\0');
    int written = ::GetNumberFormatW(LOCALE_USER_DEFAULT, 0, as_wcstr(input.c_str()), &format,
                                     as_wcstr(result.data()), needed);
    // Without a leading zero the system formats 0 as nothing at all (a zero-byte file would show
    // as " 字节"), so an empty result stands for the digits themselves.
    if (written <= 1) return input;
    result.resize(static_cast<size_t>(written - 1));  // the count includes the terminator
    return result;
}

bool select_thousands_separator(char16_t) {
    return false;
}

}  // namespace kub::os
