#include <windows.h>

#include <commctrl.h>

#include <string>

#include "common/language/language_module.h"
#include "common/os/win32/wide_cast.h"
#include "shellext/settings/shell_settings.h"
#include "shellext/win32/menu/menu_images.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {
namespace {

// The "ShellExtBMP" value MenuBitmap was made from; empty for the built-in bitmap.
std::u16string menu_bitmap_path;

// Black is the bitmap's background: it takes the menu colour so the image sits on the menu.
void replace_black(HBITMAP bitmap, COLORREF colour) {
    BITMAP shape{};
    if (::GetObjectW(bitmap, sizeof(shape), &shape) == 0) return;
    HDC memory = ::CreateCompatibleDC(nullptr);
    if (memory == nullptr) return;
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    for (int x = 0; x < shape.bmWidth; ++x) {
        for (int y = 0; y < shape.bmHeight; ++y) {
            if (::GetPixel(memory, x, y) == RGB(0, 0, 0)) ::SetPixel(memory, x, y, colour);
        }
    }
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
}

HBITMAP load_bitmap_file(const std::u16string& path) {
    return static_cast<HBITMAP>(
        ::LoadImageW(nullptr, os::as_wcstr(path.c_str()), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

HBITMAP built_in_bitmap() {
    COLORMAP black_to_menu{RGB(0, 0, 0), ::GetSysColor(COLOR_MENU)};
    return ::CreateMappedBitmap(static_cast<HINSTANCE>(resource_source()),
                                static_cast<INT_PTR>(kMenuImageResourceId), 0, &black_to_menu, 1);
}

}  // namespace

void refresh_menu_bitmap() {
    std::lock_guard<std::recursive_mutex> hold(module_gdi_lock());
    const std::u16string path = read_setting(ShellSettings::kShellExtBmp);
    if (MenuBitmap != nullptr) {
        if (path == menu_bitmap_path) return;
        ::DeleteObject(MenuBitmap);
        MenuBitmap = nullptr;
    }
    menu_bitmap_path = path;
    if (!path.empty()) {
        if (HBITMAP loaded = load_bitmap_file(path)) {
            replace_black(loaded, ::GetSysColor(COLOR_MENU));
            MenuBitmap = loaded;
            return;
        }
    }
    MenuBitmap = built_in_bitmap();
}

}  // namespace kub
