#include <richedit.h>

#include <string>

#include "common/language/lang_string.h"
#include "common/os/win32/dialog_language.h"
#include "common/os/win32/wide_cast.h"
#include "setup_dialog_ids.h"
#include "uninstall/core/integration_settings.h"
#include "uninstall/core/registration.h"
#include "uninstall/win32/dialog_procedure.h"
#include "uninstall/win32/help.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/setup_dialogs.h"
#include "uninstall/win32/setup_services.h"

namespace kub::setup {

namespace {

constexpr unsigned kFirstParagraph = 5120;
constexpr unsigned kLastParagraph = 5124;
constexpr unsigned kClosingParagraph = 5125;

int format_box(std::size_t slot) {
    if (slot == 13) return KUB_SETUP_Z;
    if (slot == 14) return KUB_SETUP_XZ;
    return KUB_SETUP_KUB + static_cast<int>(slot);
}

struct FlagBox {
    bool IntegrationSettings::*field;
    int id;
};
constexpr FlagBox kFlagBoxes[] = {
    {&IntegrationSettings::desktop, KUB_SETUP_DESKTOP},
    {&IntegrationSettings::start_menu, KUB_SETUP_START_MENU},
    {&IntegrationSettings::programs, KUB_SETUP_PROGRAMS},
    {&IntegrationSettings::shell_ext, KUB_SETUP_SHELL_EXT},
    {&IntegrationSettings::cascaded_menu, KUB_SETUP_CASCADED},
    {&IntegrationSettings::menu_icons, KUB_SETUP_MENU_ICONS},
};

bool checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

IntegrationSettings read_boxes(HWND dialog) {
    IntegrationSettings settings;
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
        settings.formats[slot] = checked(dialog, format_box(slot));
    for (const FlagBox& box : kFlagBoxes) settings.*box.field = checked(dialog, box.id);
    return settings;
}

void set_boxes(HWND dialog, const IntegrationSettings& settings) {
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
        ::CheckDlgButton(dialog, format_box(slot), settings.formats[slot] ? BST_CHECKED : BST_UNCHECKED);
    for (const FlagBox& box : kFlagBoxes)
        ::CheckDlgButton(dialog, box.id, settings.*box.field ? BST_CHECKED : BST_UNCHECKED);
    // The menu's look matters only with the shell extension; the choices are kept meanwhile.
    ::EnableWindow(::GetDlgItem(dialog, KUB_SETUP_CASCADED), settings.shell_ext);
    ::EnableWindow(::GetDlgItem(dialog, KUB_SETUP_MENU_ICONS), settings.shell_ext);
}

std::u16string explanatory_text() {
    std::u16string text = u"   ";
    for (unsigned id = kFirstParagraph; id <= kLastParagraph; ++id) {
        text += u" ";
        text += LangString(id);
    }
    text += u"\r\n    ";
    text += LangString(kClosingParagraph);
    return text;
}

void initialise(HWND dialog) {
    ::SetDlgItemTextW(dialog, KUB_SETUP_TEXT, os::as_wcstr(explanatory_text().c_str()));
    set_boxes(dialog, read_integration_settings());
    ::SetForegroundWindow(dialog);
    const ProgramState& state = program_state();
    if (state.dialog_icon)
        ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.dialog_icon));
    ::SendDlgItemMessageW(dialog, KUB_SETUP_TEXT, EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_BTNFACE));
    if (state.silent) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void confirm(HWND dialog) {
    const IntegrationSettings settings = read_boxes(dialog);
    save_integration_settings(settings);
    const SetupEnvironment environment = make_setup_environment();
    // A refused step is not shown: setup goes on to its end either way.
    apply_integration(settings, environment);
    if (!program_state().msi) write_installed_program(environment);
    ::EndDialog(dialog, 1);
}

void command(HWND dialog, int id) {
    switch (id) {
        case KUB_SETUP_SHELL_EXT:
            set_boxes(dialog, read_boxes(dialog));
            break;
        case KUB_SETUP_SELECT_ALL:
            for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
                ::CheckDlgButton(dialog, format_box(slot), BST_CHECKED);
            break;
        case KUB_SETUP_MENU_ITEMS:
            run_context_items_dialog(dialog);
            break;
        case IDOK:
            confirm(dialog);
            break;
        case IDCANCEL:
            program_state().exit_code = 1;
            ::EndDialog(dialog, 0);
            break;
        default:
            break;
    }
}

constexpr DialogBehaviour kBehaviour = {u"SETUPDLG", kSetupHelpTopic, initialise, command};

INT_PTR CALLBACK setup_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    return handle_dialog_message(kBehaviour, dialog, message, wparam);
}

}  // namespace

INT_PTR run_setup_dialog() {
    return os::language_dialog_box(kBehaviour.resource_name, nullptr, setup_dialog_procedure, 0);
}

}  // namespace kub::setup
