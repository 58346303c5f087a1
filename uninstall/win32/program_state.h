#pragma once
// The setup program's process-wide state: set up at start, read by every mode and dialog. One
// thread uses it.
#include <windows.h>

#include <string>

namespace kub::setup {

struct ProgramState {
    bool silent = false;       // no questions or messages; dialogs press OK at once
    bool msi = false;          // an installer package drives the installation
    bool no_explorer = false;  // do not open the program group after setup
    int exit_code = 0;         // 1 when the settings dialog is cancelled
    std::u16string program_group_path;
    HICON dialog_icon = nullptr;
    HFONT bold_font = nullptr;
};

ProgramState& program_state();

}  // namespace kub::setup
