#include "common/language/language_module.h"
#include "common/os/win32/dialog_language.h"
#include "uninstall/core/integration_settings.h"
#include "uninstall/win32/help.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/setup_dialogs.h"

namespace kub::setup {

namespace {

constexpr std::u16string_view kDialogName = u"SETUPCONTEXTITEMS";

INT_PTR CALLBACK context_items_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    try {
        os::prepare_dialog_message(dialog, message, kDialogName, false);
        if (handle_help_message(dialog, message, wparam, kContextItemsHelpTopic)) return TRUE;
        switch (message) {
            case WM_INITDIALOG:
                for (const MenuItemChoice& choice : kMenuItemChoices)
                    ::CheckDlgButton(dialog, choice.control_id,
                                     read_menu_item_choice(choice) ? BST_CHECKED : BST_UNCHECKED);
                if (program_state().silent)
                    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return TRUE;
            case WM_COMMAND:
                if (LOWORD(wparam) == IDOK) {
                    // Written at once: kept even when the settings dialog is then cancelled.
                    for (const MenuItemChoice& choice : kMenuItemChoices)
                        write_menu_item_choice(
                            choice, ::IsDlgButtonChecked(dialog, choice.control_id) == BST_CHECKED);
                    ::EndDialog(dialog, 1);
                } else if (LOWORD(wparam) == IDCANCEL) {
                    ::EndDialog(dialog, 0);
                }
                return TRUE;
            default:
                return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

}  // namespace

INT_PTR run_context_items_dialog(HWND owner) {
    return ::DialogBoxParamW(static_cast<HINSTANCE>(resource_source()), L"SETUPCONTEXTITEMS",
                             owner, context_items_procedure, 0);
}

}  // namespace kub::setup
