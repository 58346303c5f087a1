#pragma once
// The one class the library serves.
#include <windows.h>

namespace kub {

// {B41DB860-64E4-11D2-9906-E49FADC173CA}
inline constexpr CLSID kShellExtensionClassId = {
    0xB41DB860, 0x64E4, 0x11D2, {0x99, 0x06, 0xE4, 0x9F, 0xAD, 0xC1, 0x73, 0xCA}};

}  // namespace kub
