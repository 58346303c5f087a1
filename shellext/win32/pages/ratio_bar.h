#pragma once
// Draws the information page's ratio bar with GDI.
#include <windows.h>

#include <cstdint>

namespace kub {

// The column at (x, y), `height` high, filled to `percent` (the label shows it unlimited), its
// label in `font`. The device context's pen, brush, font and text colour are restored.
void RatioBar(int x, int y, int height, std::int32_t percent, HDC dc, HFONT font);

}  // namespace kub
