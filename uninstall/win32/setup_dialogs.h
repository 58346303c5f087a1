#pragma once
// The integration settings dialog ("SETUPDLG") and its context menu items dialog
// ("SETUPCONTEXTITEMS"), both modal.
#include <windows.h>

namespace kub::setup {

// 1 when confirmed (settings saved and applied), 0 when cancelled (the exit code is then 1).
INT_PTR run_setup_dialog();

// 1 when confirmed (the choices written at once), 0 when cancelled.
INT_PTR run_context_items_dialog(HWND owner);

}  // namespace kub::setup
