#pragma once
// The one place where UTF-16 text changes type at the Win32 boundary: char16_t and wchar_t are
// both 16-bit UTF-16 units on Windows.
#include <cwchar>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace kub::os {

inline const wchar_t* as_wcstr(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* as_wcstr(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* as_u16cstr(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* as_u16cstr(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }

}  // namespace kub::os
