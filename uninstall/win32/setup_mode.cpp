#include "uninstall/win32/setup_mode.h"

#include <windows.h>
#include <shellapi.h>

#include "common/language/lang_string.h"
#include "common/os/win32/wide_cast.h"
#include "uninstall/core/restart_check.h"
#include "uninstall/win32/done_dialog.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/setup_dialogs.h"

namespace kub::setup {

namespace {

constexpr unsigned kRestartCaption = 5101;
constexpr unsigned kRestartMessage = 5135;

}  // namespace

void run_setup_mode() {
    const bool restart = restart_needed();
    if (run_setup_dialog() == 0) return;
    const ProgramState& state = program_state();
    if (!state.msi) run_done_dialog();
    if (restart && !state.silent && !state.msi) {
        const std::u16string caption = LangString(kRestartCaption);
        ::MessageBoxW(nullptr, os::as_wcstr(LangString(kRestartMessage)),
                      os::as_wcstr(caption.c_str()), MB_ICONINFORMATION | MB_SETFOREGROUND);
    }
    const std::u16string& group = state.program_group_path;
    if (!group.empty() && !state.silent && !state.msi && !state.no_explorer) {
        const DWORD attributes = ::GetFileAttributesW(os::as_wcstr(group.c_str()));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            ::ShellExecuteW(nullptr, L"open", os::as_wcstr(group.c_str()), nullptr, nullptr,
                            SW_SHOWNORMAL);
    }
}

}  // namespace kub::setup
