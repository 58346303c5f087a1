#include "uninstall/win32/dialog_procedure.h"

#include "common/os/win32/dialog_language.h"
#include "uninstall/win32/help.h"

namespace kub::setup {

INT_PTR handle_dialog_message(const DialogBehaviour& behaviour, HWND dialog, UINT message,
                              WPARAM wparam) {
    try {
        os::prepare_dialog_message(dialog, message, behaviour.resource_name, false);
        if (handle_help_message(dialog, message, wparam, behaviour.help_topic)) return TRUE;
        switch (message) {
            case WM_INITDIALOG:
                behaviour.initialise(dialog);
                return TRUE;
            case WM_COMMAND:
                behaviour.command(dialog, LOWORD(wparam));
                return TRUE;
            default:
                return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kub::setup
