#include "uninstall/win32/help.h"

#include <string>

#include "common/files/path_limits.h"
#include "common/files/path_ops.h"
#include "common/language/language_folder.h"
#include "common/os/os.h"
#include "common/os/win32/wide_cast.h"

namespace kub::setup {

namespace {

using os::as_wcstr;
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

constexpr std::u16string_view kHelpLibrary = u"hhctrl.ocx";
constexpr std::u16string_view kHelpFileName = u"korvex.chm";
// A topic address is made in a buffer of this many characters.
constexpr std::size_t kTopicAddressSize = 2098;
constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kDisplayToc = 0x0001;    // HH_DISPLAY_TOC
constexpr UINT kCloseAll = 0x0012;      // HH_CLOSE_ALL

struct HelpState {
    os::ModuleHandle library = nullptr;
    HtmlHelpFunction html_help = nullptr;
    std::u16string file;
    bool tried_short_path = false;
};

HelpState& help_state() {
    static HelpState state;
    return state;
}

std::u16string help_file_beside(std::u16string program_path) {
    replace_name(program_path, kHelpFileName);
    return apply_language_folder(program_path);
}

// The help library from the system folder: a bare name would let the library search find one
// planted in the current folder.
bool load_help_library(HelpState& state) {
    if (state.html_help) return true;
    if (state.library) return false;
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::u16string path =
        std::u16string(os::as_u16cstr(system)) + u"\\" + std::u16string(kHelpLibrary);
    state.library = os::load_code_library(path);
    if (!state.library) return false;
    state.html_help =
        reinterpret_cast<HtmlHelpFunction>(os::find_library_export(state.library, "HtmlHelpW"));
    state.file = help_file_beside(os::executable_path());
    return state.html_help != nullptr;
}

HWND call_help(const HelpState& state, HWND owner, std::optional<std::u16string_view> topic) {
    if (!topic) return state.html_help(owner, as_wcstr(state.file.c_str()), kDisplayToc, 0);
    std::u16string address = state.file + u"::/html/" + std::u16string(*topic) + u".htm";
    cut_to_size(address, kTopicAddressSize);
    return state.html_help(owner, as_wcstr(address.c_str()), kDisplayTopic, 0);
}

// The help library cannot open a file whose path the ANSI code page cannot spell; the short
// form of the program's path can be spelled.
bool switch_to_short_path(HelpState& state) {
    std::string narrow;
    std::u16string back;
    if (os::wide_to_narrow(os::CodePage::kAnsi, state.file, narrow) &&
        os::narrow_to_wide(os::CodePage::kAnsi, narrow, back) && back == state.file)
        return false;
    const std::u16string program = os::executable_path();
    wchar_t short_path[kPathBufferSize] = {};
    const DWORD length = ::GetShortPathNameW(as_wcstr(program.c_str()), short_path, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize) return false;
    state.file = help_file_beside(os::as_u16cstr(short_path));
    return true;
}

}  // namespace

void show_help(HWND owner, std::optional<std::u16string_view> topic) {
    HelpState& state = help_state();
    if (!load_help_library(state)) return;
    if (call_help(state, owner, topic)) return;
    if (state.tried_short_path) return;
    state.tried_short_path = true;
    if (switch_to_short_path(state)) call_help(state, owner, topic);
}

void close_help() {
    HelpState& state = help_state();
    if (state.html_help) state.html_help(nullptr, nullptr, kCloseAll, 0);
    if (state.library) os::free_code_library(state.library);
    state = HelpState{};
}

bool handle_help_message(HWND dialog, UINT message, WPARAM wparam,
                         std::optional<std::u16string_view> topic) {
    const bool asked = message == WM_HELP ||
                       (message == WM_COMMAND && LOWORD(wparam) == kHelpButtonId);
    if (!asked || !topic) return false;
    show_help(dialog, topic);
    return true;
}

}  // namespace kub::setup
