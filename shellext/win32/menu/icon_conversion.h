#pragma once
// An icon as a 32 bits-per-pixel top-down DIB section with premultiplied alpha, the form menus
// drawn with visual styles blend onto their background. Made through the imaging component.
#include <windows.h>

namespace kub {

// None when the imaging component is missing or any step fails. The caller owns the section
// and still owns the icon.
HBITMAP convert_icon_to_bitmap(HICON icon);

}  // namespace kub
