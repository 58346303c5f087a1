#pragma once
// Dialogs in the user's language: texts translated by the language file under the dialog's
// resource name, the layout scaled by its size factors, and right-to-left layout for
// right-to-left languages. Win32 only; both deliverables' dialogs and pages use it.
#include <windows.h>

#include <string_view>

namespace kub::os {

// Children translated and moved, at most this many.
inline constexpr int kMaxTranslatedControls = 512;

// Translates the title (not for a property page, whose sheet owns it) and the controls'
// texts, and with size factors resizes the dialog (not a page) and scales every control.
void translate_dialog(HWND dialog, std::u16string_view dialog_name, bool page);

// For a right-to-left language: mirrors the dialog, and for a page also its sheet and the
// sheet's tabs. Call it while the dialog's font is being set (WM_SETFONT), before its controls
// exist, so they are created mirrored.
void apply_direction(HWND dialog, bool page);

// The common preparation every dialog procedure runs first: the direction at WM_SETFONT, the
// translation at WM_INITDIALOG. It never consumes a message.
void prepare_dialog_message(HWND dialog, UINT message, std::u16string_view dialog_name, bool page);

// A modal dialog from the module dialog_source picks; when the system cannot make it from a
// language module (a template that is whole but names what does not exist), from the program's
// own module.
INT_PTR language_dialog_box(std::u16string_view dialog_name, HWND owner, DLGPROC procedure,
                            LPARAM parameter);

}  // namespace kub::os
