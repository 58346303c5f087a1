#include "uninstall/win32/setup_services.h"

#include <windows.h>
#include <shlobj.h>
#include <versionhelpers.h>

#include "common/files/path_ops.h"
#include "common/os/os.h"
#include "uninstall/win32/program_state.h"
#include "uninstall/win32/shortcuts.h"

namespace kub::setup {

SetupEnvironment make_setup_environment() {
    SetupEnvironment environment;
    environment.uninstall_path = os::executable_path();
    environment.program_folder = folder_part(environment.uninstall_path);
    environment.vista_or_later = ::IsWindowsVistaOrGreater();
    environment.notify_association_change = [] {
        ::SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr);
    };
    const std::u16string folder = environment.program_folder;
    const bool vista = environment.vista_or_later;
    environment.update_shortcuts = [folder, vista](const IntegrationSettings& settings) {
        update_shortcuts(settings, folder, vista, &program_state().program_group_path);
    };
    return environment;
}

}  // namespace kub::setup
