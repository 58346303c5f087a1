// uninstall.exe: start-up, switches, the mode they select, and the exit code.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "common/language/lang_format.h"
#include "common/language/lang_string.h"
#include "common/language/language_file.h"
#include "common/language/language_module.h"
#include "common/os/os.h"
#include "common/os/win32/wide_cast.h"
#include "uninstall/core/command_line.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/help.h"
#include "uninstall/win32/setup_mode.h"
#include "uninstall/win32/uninstall_mode.h"

namespace kub::setup {
namespace {

constexpr unsigned kMessageCaption = 5106;
constexpr unsigned kDeletedLine = 5107;
constexpr unsigned kDeleteByHandLine = 5108;

// The current folder is not searched for libraries.
void exclude_current_folder_from_library_search() {
    using SetDllDirectory = BOOL(WINAPI*)(LPCWSTR);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return;
    auto set_directory =
        reinterpret_cast<SetDllDirectory>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
    if (set_directory) set_directory(L"");
}

HICON load_dialog_icon() {
    HICON icon = ::LoadIconW(static_cast<HINSTANCE>(resource_source()), L"KUBICON");
    if (!icon && resource_source() != own_resource_module())
        icon = ::LoadIconW(static_cast<HINSTANCE>(own_resource_module()), L"KUBICON");
    return icon;
}

HFONT create_bold_font() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return ::CreateFontW(-::MulDiv(12, dpi, 96), 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0,
                         L"MS Shell Dlg");
}

void show_delete_by_hand_message() {
    std::u16string text = LangString(kDeletedLine);
    text += u"\n";
    text += LangStringWith(kDeleteByHandLine, os::executable_path());
    const std::u16string caption = LangString(kMessageCaption);
    ::MessageBoxW(nullptr, os::as_wcstr(text.c_str()), os::as_wcstr(caption.c_str()),
                  MB_ICONINFORMATION | MB_SETFOREGROUND);
}

int run() {
    exclude_current_folder_from_library_search();
    load_language_module(os::own_module());
    load_language_file(u"uninstall.lng");
    const HRESULT ole = ::OleInitialize(nullptr);
    HMODULE rich_edit = ::LoadLibraryW(L"riched32.dll");
    ProgramState& state = program_state();
    state.dialog_icon = load_dialog_icon();
    state.bold_font = create_bold_font();

    std::u16string sfx_command;
    if (os::get_environment_variable(u"sfxcmd", sfx_command) && sfx_command_is_silent(sfx_command))
        state.silent = true;

    const CommandLine command_line = scan_command_line(os::as_u16cstr(::GetCommandLineW()));
    state.silent = state.silent || command_line.silent;
    state.msi = command_line.msi;
    state.no_explorer = command_line.no_explorer;
    for (SwitchAction action : command_line.actions) {
        if (action == SwitchAction::kWait)
            ::Sleep(kWaitMilliseconds);
        else
            show_delete_by_hand_message();
    }

    switch (decide_mode(command_line)) {
        case ProgramMode::kSetup:
            run_setup_mode();
            break;
        case ProgramMode::kUninstall:
            run_uninstall_mode();
            break;
        case ProgramMode::kNone:
            break;
    }

    close_help();
    if (rich_edit) ::FreeLibrary(rich_edit);
    if (SUCCEEDED(ole)) ::OleUninitialize();
    if (state.bold_font) ::DeleteObject(state.bold_font);
    if (state.dialog_icon) ::DestroyIcon(state.dialog_icon);
    return state.exit_code;
}

}  // namespace
}  // namespace kub::setup

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        return kub::setup::run();
    } catch (...) {
        return 1;
    }
}
