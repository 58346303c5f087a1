#include <windows.h>

#include "shellext/win32/menu/menu_images.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {

bool visual_styles_active() {
    // Looked up at run time: systems without the theme library still load the extension.
    HMODULE theme = ::LoadLibraryW(L"UxTheme.dll");
    if (theme == nullptr) return false;
    using IsAppThemedFunction = BOOL(WINAPI*)();
    auto is_app_themed = reinterpret_cast<IsAppThemedFunction>(
        reinterpret_cast<void*>(::GetProcAddress(theme, "IsAppThemed")));
    const bool themed = is_app_themed != nullptr && is_app_themed() != FALSE;
    ::FreeLibrary(theme);
    return themed;
}

MenuImageState menu_image_state() {
    MenuImageState state;
    state.icon_bitmap = MenuIconBitmap != nullptr;
    state.themed = visual_styles_active();
    return state;
}

}  // namespace kub
