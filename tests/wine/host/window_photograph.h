#pragma once
// Photographs of windows as they are on the screen, for a person to look at.
#include <windows.h>

#include <string>

namespace kub::wine_host {

// The window as it is on the screen, as a 24-bit BMP named `name`.bmp in the folder
// KUB_SCREENSHOT_DIR names; nothing when it is not set. The session turns them into PNG files.
void photograph(HWND window, const std::wstring& name);

}  // namespace kub::wine_host
