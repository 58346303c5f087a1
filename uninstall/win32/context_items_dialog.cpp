#include "common/os/win32/dialog_language.h"
#include "uninstall/core/integration_settings.h"
#include "uninstall/win32/dialog_procedure.h"
#include "uninstall/win32/help.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/setup_dialogs.h"

namespace kub::setup {

namespace {

void initialise(HWND dialog) {
    for (const MenuItemChoice& choice : kMenuItemChoices)
        ::CheckDlgButton(dialog, choice.control_id,
                         read_menu_item_choice(choice) ? BST_CHECKED : BST_UNCHECKED);
    if (program_state().silent) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void command(HWND dialog, int id) {
    if (id == IDOK) {
        // Written at once: kept even when the settings dialog is then cancelled.
        for (const MenuItemChoice& choice : kMenuItemChoices)
            write_menu_item_choice(choice,
                                   ::IsDlgButtonChecked(dialog, choice.control_id) == BST_CHECKED);
        ::EndDialog(dialog, 1);
    } else if (id == IDCANCEL) {
        ::EndDialog(dialog, 0);
    }
}

constexpr DialogBehaviour kBehaviour = {u"SETUPCONTEXTITEMS", kContextItemsHelpTopic, initialise,
                                        command};

INT_PTR CALLBACK context_items_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    return handle_dialog_message(kBehaviour, dialog, message, wparam);
}

}  // namespace

INT_PTR run_context_items_dialog(HWND owner) {
    return os::language_dialog_box(kBehaviour.resource_name, owner, context_items_procedure, 0);
}

}  // namespace kub::setup
