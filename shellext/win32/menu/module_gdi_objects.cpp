#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {

HFONT BoldFont = nullptr;
HFONT CommentFont = nullptr;
HBITMAP MenuBitmap = nullptr;
HBITMAP MenuIconBitmap = nullptr;

namespace {

constexpr int kCommentFontHeightAt96Dpi = -14;
constexpr int kCommentFontWeight = 500;

template <class Handle>
void delete_object(Handle& handle) {
    if (handle != nullptr) ::DeleteObject(handle);
    handle = nullptr;
}

}  // namespace

HFONT create_comment_font() {
    int dpi = 96;
    if (HDC screen = ::GetDC(nullptr)) {
        dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    return ::CreateFontW(kCommentFontHeightAt96Dpi * dpi / 96, 0, 0, 0, kCommentFontWeight, FALSE,
                         FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH, L"Courier New");
}

std::recursive_mutex& module_gdi_lock() {
    static std::recursive_mutex lock;
    return lock;
}

void delete_module_gdi_objects() {
    std::lock_guard<std::recursive_mutex> hold(module_gdi_lock());
    delete_object(BoldFont);
    delete_object(CommentFont);
    delete_object(MenuBitmap);
    delete_object(MenuIconBitmap);
}

}  // namespace kub
