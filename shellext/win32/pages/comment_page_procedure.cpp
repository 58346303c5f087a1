// The comment page: the archive's comment in a read-only edit box in the fixed-pitch font.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "common/os/win32/dialog_language.h"
#include "common/os/win32/wide_cast.h"
#include "resources/info_page_ids.h"
#include "shellext/core/pages/comment_text.h"
#include "shellext/win32/launch/archiver_launch.h"
#include "shellext/win32/pages/info_pages.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {
namespace {

constexpr std::u16string_view kDialogName = u"EXTCMTARCINFODLG";

void show_comment(HWND page, std::u16string_view path) {
    ::SendDlgItemMessageW(page, KUB_COMMENT_EDIT, WM_SETFONT, reinterpret_cast<WPARAM>(CommentFont),
                          FALSE);
    // A KUB comment waits here for the archiver to write it out.
    const std::u16string text = archive_comment_text(path, launch_archiver);
    if (text.empty()) return;
    const std::u16string shown(shown_comment_text(text));
    ::SetDlgItemTextW(page, KUB_COMMENT_EDIT, os::as_wcstr(shown.c_str()));
}

}  // namespace

INT_PTR CALLBACK comment_page_procedure(HWND page, UINT message, WPARAM, LPARAM lparam) {
    try {
        os::prepare_dialog_message(page, message, kDialogName, true);
        switch (message) {
            case WM_INITDIALOG: {
                const std::unique_ptr<std::u16string> path =
                    take_page_parameter<std::u16string>(lparam);
                if (path) show_comment(page, *path);
                return TRUE;
            }
            case WM_NOTIFY:
                ::SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
                return FALSE;
            default:
                return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kub
