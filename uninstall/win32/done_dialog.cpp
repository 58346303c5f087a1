#include "uninstall/win32/done_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "common/language/lang_string.h"
#include "common/os/os.h"
#include "common/os/win32/dialog_language.h"
#include "common/os/win32/wide_cast.h"
#include "setup_dialog_ids.h"
#include "uninstall/win32/dialog_procedure.h"
#include "uninstall/win32/help.h"
#include "uninstall/win32/program_state.h"

namespace kub::setup {

namespace {

constexpr unsigned kHomePageAddress = 5114;

void initialise(HWND dialog) {
    const ProgramState& state = program_state();
    if (state.dialog_icon)
        ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.dialog_icon));
    if (state.bold_font)
        ::SendDlgItemMessageW(dialog, KUB_DONE_THANKS, WM_SETFONT,
                              reinterpret_cast<WPARAM>(state.bold_font), TRUE);
    // Setup runs in the program folder, so the current folder is where the archiver went.
    const std::u16string folder = os::current_directory();
    ::SetDlgItemTextW(dialog, KUB_DONE_FOLDER, os::as_wcstr(folder.c_str()));
    if (state.silent) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void command(HWND dialog, int id) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            ::EndDialog(dialog, 1);
            break;
        case KUB_DONE_HELP:
            show_help(dialog, std::nullopt);
            break;
        case KUB_DONE_HOME_PAGE:
            ::ShellExecuteW(nullptr, L"open", os::as_wcstr(LangString(kHomePageAddress)), nullptr,
                            nullptr, SW_SHOWNORMAL);
            break;
        default:
            break;
    }
}

// No topic of its own: F1 does nothing here, and its help button opens the contents.
constexpr DialogBehaviour kBehaviour = {u"DONEDLG", std::nullopt, initialise, command};

INT_PTR CALLBACK done_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    return handle_dialog_message(kBehaviour, dialog, message, wparam);
}

}  // namespace

void run_done_dialog() {
    os::language_dialog_box(kBehaviour.resource_name, nullptr, done_dialog_procedure, 0);
}

}  // namespace kub::setup
