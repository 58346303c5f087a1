#pragma once
// The menu images. MenuBitmap is the classic bitmap shown in an item's check-mark area;
// MenuIconBitmap is a 32-bit premultiplied bitmap made from a 16 x 16 icon, the item image of
// menus drawn with visual styles. Both follow the theme settings ("Interface\Themes"
// "ShellExtBMP" and "ShellExtIcon") and keep the setting they were made from, so a refresh with
// unchanged settings costs one registry read and one comparison. The handles themselves are
// module-wide (module_gdi_objects.h) and deleted when the library unloads.
#include <cstdint>

#include "shellext/core/commands/menu_plan.h"

namespace kub {

// Resource id of the built-in bitmap and of the built-in icon group.
inline constexpr unsigned kMenuImageResourceId = 4100;
// Edge of the icon taken for the menu, in pixels.
inline constexpr int kMenuIconSize = 16;
// Windows version (major << 8 | minor) from which menus take item bitmaps with alpha.
inline constexpr std::uint32_t kFirstIconMenuVersion = 0x0600;

// At the start of each menu query: MenuBitmap from the "ShellExtBMP" file with black shown in the
// menu colour, else the built-in bitmap mapped likewise. A file that fails to load is not tried
// again until the setting changes.
void refresh_menu_bitmap();

// For each command added while "MenuIcons" is on: MenuIconBitmap from the "ShellExtIcon" file,
// else the built-in icon. Nothing on Windows versions before 6.0.
void refresh_menu_icon_bitmap();
// The same for a given Windows version.
void refresh_menu_icon_bitmap(std::uint32_t windows_version);

// Visual styles are active (IsAppThemed, looked up at run time; false when it is missing).
bool visual_styles_active();

// Which images the menu may use now; the refreshes come first.
MenuImageState menu_image_state();

}  // namespace kub
