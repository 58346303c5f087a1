#pragma once
// Uninstall mode: the procedure of uninstall/core with this program's message boxes, the
// shell's services and the hidden start of the batch file.
namespace kub::setup {

void run_uninstall_mode();

}  // namespace kub::setup
