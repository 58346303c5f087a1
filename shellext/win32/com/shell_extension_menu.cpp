// IContextMenu of the extension object: the COM side of the menu plan and the command starts.
#include <string>

#include "common/text/bounded_string.h"
#include "common/registry/settings_cache.h"
#include "common/text/encoding.h"
#include "common/os/win32/wide_cast.h"
#include "shellext/core/commands/command_lookup.h"
#include "shellext/core/commands/command_table.h"
#include "shellext/core/commands/menu_command.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/module_state.h"
#include "shellext/settings/shell_settings.h"
#include "shellext/win32/launch/archiver_launch.h"
#include "shellext/win32/com/com_guard.h"
#include "shellext/win32/menu/menu_images.h"
#include "shellext/win32/menu/menu_insertion.h"
#include "shellext/win32/menu/module_gdi_objects.h"
#include "shellext/win32/com/shell_extension.h"

namespace kub {
namespace {

MenuImageState current_menu_images() {
    refresh_menu_bitmap();
    if (read_setting(ShellSettings::kMenuIcons) != 0) refresh_menu_icon_bitmap();
    return menu_image_state();
}

// A verb given as text rather than as an offset: the pointer's high bits are set.
bool is_verb_text(LPCSTR verb) { return (reinterpret_cast<UINT_PTR>(verb) >> 16) != 0; }

}  // namespace

STDMETHODIMP ShellExtension::QueryContextMenu(HMENU menu, UINT position, UINT first_id, UINT,
                                              UINT flags) {
    return com_guard([&]() -> HRESULT {
        if ((flags & CMF_DEFAULTONLY) != 0 || AnalysisBusy != 0 ||
            selection_.SelectedPaths.size() == 0) {
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        }
        SettingsReadScope settings;
        // The images stay as refreshed until the items hold their handles.
        std::lock_guard<std::recursive_mutex> hold(module_gdi_lock());
        const MenuPlan plan =
            plan_menu(selection_, flags, first_id, DropFolder.get(), current_menu_images());
        record_commands(plan);
        insert_menu_plan(menu, position, plan);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, plan.identifiers_used);
    });
}

STDMETHODIMP ShellExtension::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (info == nullptr) return E_INVALIDARG;
    return com_guard([&]() -> HRESULT {
        if (AnalysisBusy != 0) return S_OK;
        SettingsReadScope settings;
        UINT offset = 0;
        if (is_verb_text(info->lpVerb)) {
            const std::optional<std::uint32_t> found = find_command_by_verb(info->lpVerb);
            if (!found) return E_FAIL;
            offset = *found;
        } else {
            offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
        }
        if (!selection_.SelectionComplete && !full_capture(SelectionDataObject.Get())) {
            return E_FAIL;
        }
        if (selection_.SelectedPaths.size() == 0) return S_OK;
        const RecordedCommands commands = CommandTable.get();
        if (offset >= static_cast<UINT>(commands.table.count)) return E_INVALIDARG;

        LaunchRecord record;
        LaunchLeftovers leftovers(record);
        if (!build_menu_command(selection_, commands.table.kinds[offset], commands.profile_count,
                                DropFolder.get(), record)) {
            return E_FAIL;
        }
        // A missing archiver fails in the shell; the menu has nothing to tell the user.
        if (launch_archiver(record)) leftovers.keep();
        return S_OK;
    }, E_FAIL);
}

STDMETHODIMP ShellExtension::GetCommandString(UINT_PTR command, UINT type, UINT*, CHAR* name,
                                              UINT capacity) {
    return com_guard([&]() -> HRESULT {
        const bool help = type == GCS_HELPTEXTA || type == GCS_HELPTEXTW;
        const std::optional<std::u16string> text =
            command_text(static_cast<std::uint32_t>(command),
                         help ? CommandTextType::help : CommandTextType::verb);
        if (!text) return E_INVALIDARG;
        if (name == nullptr || capacity == 0) return S_OK;
        if (type == GCS_VERBA || type == GCS_HELPTEXTA) {
            std::string ansi;
            wide_to_ansi(*text, ansi);
            std::string bounded;
            copy_bounded_chars(bounded, ansi, capacity);
            bounded.copy(name, bounded.size());
            name[bounded.size()] = '\0';
        } else if (type == GCS_VERBW || type == GCS_HELPTEXTW) {
            std::u16string bounded;
            copy_bounded(bounded, *text, capacity);
            char16_t* out = reinterpret_cast<char16_t*>(name);
            bounded.copy(out, bounded.size());
            out[bounded.size()] = u'\0';
        }
        // The validation queries only learn that the command exists.
        return S_OK;
    });
}

}  // namespace kub
