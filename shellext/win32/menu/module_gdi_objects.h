#pragma once
// Fonts and menu images shared by every object of the process, created once and deleted when
// the library unloads.
#include <windows.h>

#include <mutex>

namespace kub {

// Held while the objects below are created, replaced or deleted, and while a menu takes the
// image handles: Explorer builds menus and pages on several threads at once, and an unguarded
// refresh deletes a handle twice or leaks one.
std::recursive_mutex& module_gdi_lock();

// Fonts of the information pages.
extern HFONT BoldFont;
extern HFONT CommentFont;
// Menu images.
extern HBITMAP MenuBitmap;
extern HBITMAP MenuIconBitmap;

// The fixed-pitch comment font: "Courier New", 14 pixels at 96 dpi scaled to the screen.
HFONT create_comment_font();

// Deletes whichever of the four objects exist and forgets them.
void delete_module_gdi_objects();

}  // namespace kub
