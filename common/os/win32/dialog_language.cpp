#include "common/os/win32/dialog_language.h"

#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "common/language/dialog_layout.h"
#include "common/language/language_file.h"
#include "common/language/language_module.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {
namespace {

LayoutRect layout_rect(const RECT& r) {
    return {static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
            static_cast<std::int32_t>(r.right - r.left), static_cast<std::int32_t>(r.bottom - r.top)};
}

std::u16string window_text(HWND window) {
    wchar_t buffer[kTranslationSize];
    int length = ::GetWindowTextW(window, buffer, static_cast<int>(kTranslationSize));
    return std::u16string(as_u16cstr(buffer), length > 0 ? static_cast<std::size_t>(length) : 0);
}

void translate_text(HWND window, std::u16string_view dialog_name) {
    std::u16string text = window_text(window);
    if (text.empty()) return;
    std::u16string translated =
        language_file().translate(text, TranslationKind::kDialog, dialog_name);
    if (translated != text) ::SetWindowTextW(window, as_wcstr(translated.c_str()));
}

// Height of the list of a drop-down combo box; 0 for every other control.
int drop_list_height(HWND control) {
    wchar_t class_name[32];
    if (!::GetClassNameW(control, class_name, 32) || ::lstrcmpiW(class_name, WC_COMBOBOXW) != 0)
        return 0;
    if ((::GetWindowLongW(control, GWL_STYLE) & 0x3) == CBS_SIMPLE) return 0;
    // The result code is not looked at: some systems answer CB_OKAY, which is 0, on success.
    RECT list{};
    ::SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
    RECT box{};
    ::GetWindowRect(control, &box);
    // The dropped rectangle spans the box and its list.
    int height = (list.bottom - list.top) - (box.bottom - box.top);
    return height > 0 ? height : 0;
}

void resize_dialog(HWND dialog, const SizeFactors& factors) {
    RECT window{}, client{};
    ::GetWindowRect(dialog, &window);
    ::GetClientRect(dialog, &client);
    LayoutRect r = scaled_dialog_rect(layout_rect(window), client.right, client.bottom, factors);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!(::GetWindowLongW(dialog, GWL_STYLE) & DS_CENTER)) flags |= SWP_NOMOVE;
    ::SetWindowPos(dialog, nullptr, r.left, r.top, r.width, r.height, flags);
}

void scale_control(HWND dialog, HWND control, const SizeFactors& factors) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    LayoutRect scaled = scaled_control_rect(layout_rect(r), factors, drop_list_height(control));
    ::SetWindowPos(control, nullptr, scaled.left, scaled.top, scaled.width, scaled.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void translate_dialog(HWND dialog, std::u16string_view dialog_name, bool page) {
    const LanguageFile& file = language_file();
    if (!file.loaded() || !dialog) return;
    SizeFactors factors = file.size_factors(dialog_name);
    if (factors.given() && !page) resize_dialog(dialog, factors);
    if (!page) translate_text(dialog, dialog_name);
    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (int n = 0; child && n < kMaxTranslatedControls; ++n) {
        translate_text(child, dialog_name);
        if (factors.given()) scale_control(dialog, child, factors);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
}

void apply_direction(HWND dialog, bool page) {
    if (!language_file().right_to_left() || !dialog) return;
    auto mirror = [](HWND window) {
        LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
        ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYOUTRTL);
    };
    mirror(dialog);
    if (!page) return;
    HWND sheet = ::GetParent(dialog);
    if (!sheet) return;
    mirror(sheet);
    if (HWND tabs = PropSheet_GetTabControl(sheet)) {
        mirror(tabs);
        ::InvalidateRect(tabs, nullptr, TRUE);
    }
}

void prepare_dialog_message(HWND dialog, UINT message, std::u16string_view dialog_name, bool page) {
    if (message == WM_SETFONT) apply_direction(dialog, page);
    else if (message == WM_INITDIALOG) translate_dialog(dialog, dialog_name, page);
}

INT_PTR language_dialog_box(std::u16string_view dialog_name, HWND owner, DLGPROC procedure,
                            LPARAM parameter) {
    std::u16string name(dialog_name);
    os::ModuleHandle source = dialog_source(dialog_name);
    INT_PTR result = ::DialogBoxParamW(static_cast<HINSTANCE>(source), as_wcstr(name.c_str()), owner,
                                       procedure, parameter);
    if (result == -1 && source != own_resource_module())
        result = ::DialogBoxParamW(static_cast<HINSTANCE>(own_resource_module()),
                                   as_wcstr(name.c_str()), owner, procedure, parameter);
    return result;
}

}  // namespace kub::os
