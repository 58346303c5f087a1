#include <windows.h>

#include <string>

#include "common/language/language_module.h"
#include "common/os/win32/wide_cast.h"
#include "shellext/settings/shell_settings.h"
#include "shellext/win32/menu/icon_conversion.h"
#include "shellext/win32/menu/menu_images.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {
namespace {

// The "ShellExtIcon" value seen by the last refresh.
std::u16string menu_icon_path;

HICON load_icon_file(const std::u16string& path) {
    return static_cast<HICON>(::LoadImageW(nullptr, os::as_wcstr(path.c_str()), IMAGE_ICON,
                                           kMenuIconSize, kMenuIconSize, LR_LOADFROMFILE));
}

HICON load_built_in_icon(os::ModuleHandle module) {
    if (module == nullptr) return nullptr;
    return static_cast<HICON>(::LoadImageW(static_cast<HINSTANCE>(module),
                                           MAKEINTRESOURCEW(kMenuImageResourceId), IMAGE_ICON,
                                           kMenuIconSize, kMenuIconSize, 0));
}

// The file, else the resource module's icon, else our own (a language module may lack it).
HICON load_menu_icon(const std::u16string& path) {
    HICON icon = path.empty() ? nullptr : load_icon_file(path);
    if (icon == nullptr) icon = load_built_in_icon(resource_source());
    if (icon == nullptr && resource_source() != own_resource_module()) {
        icon = load_built_in_icon(own_resource_module());
    }
    return icon;
}

std::uint32_t running_windows_version() {
    const DWORD version = ::GetVersion();
    return (static_cast<std::uint32_t>(LOBYTE(LOWORD(version))) << 8) | HIBYTE(LOWORD(version));
}

}  // namespace

void refresh_menu_icon_bitmap() {
    refresh_menu_icon_bitmap(running_windows_version());
}

void refresh_menu_icon_bitmap(std::uint32_t windows_version) {
    if (windows_version < kFirstIconMenuVersion) return;
    std::lock_guard<std::recursive_mutex> hold(module_gdi_lock());
    const std::u16string path = read_setting(ShellSettings::kShellExtIcon);
    if (path == menu_icon_path && MenuIconBitmap != nullptr) return;
    menu_icon_path = path;
    HICON icon = load_menu_icon(path);
    // Without any icon the previous image stays rather than leaving the items bare.
    if (icon == nullptr) return;
    if (MenuIconBitmap != nullptr) ::DeleteObject(MenuIconBitmap);
    MenuIconBitmap = convert_icon_to_bitmap(icon);
    ::DestroyIcon(icon);
}

}  // namespace kub
