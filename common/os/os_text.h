#pragma once
// Text services of the system: code-page conversions, case, locale-aware comparison and number
// formatting. Narrow text is in the ANSI or the OEM code page of the system; wide text is UTF-16.
#include <string>
#include <string_view>

namespace kub::os {

enum class CodePage { kAnsi, kOem };

// The numbers of the two code pages in effect (936 on the shipped Simplified-Chinese system).
unsigned code_page_number(CodePage page);

// Chooses the code pages the native build converts with; the Windows build always uses the
// system's and returns false. Returns false, changing nothing, for a code page that cannot be
// converted.
bool select_code_pages(unsigned ansi, unsigned oem);

// Converts the whole of text. Bytes or characters the other side cannot represent become the
// system's replacement, as the system's own conversion does; false only when nothing could be
// converted at all (the result is then empty).
bool narrow_to_wide(CodePage page, std::string_view text, std::u16string& out);
bool wide_to_narrow(CodePage page, std::u16string_view text, std::string& out);

// True for a byte that starts a two-byte character in the ANSI code page.
bool is_ansi_lead_byte(unsigned char byte);

// Case-insensitive comparison with the user's default locale: negative, 0 or positive.
int compare_ignoring_case(std::u16string_view a, std::u16string_view b);

std::u16string to_upper(std::u16string_view text);
std::u16string to_lower(std::u16string_view text);

// Groups a run of decimal digits by three with the user's default thousands separator (its
// first character), no fraction.
std::u16string group_thousands(std::u16string_view digits);

// Chooses the separator the native build groups with (default ","); the Windows build reads the
// user's locale and returns false.
bool select_thousands_separator(char16_t separator);

}  // namespace kub::os
