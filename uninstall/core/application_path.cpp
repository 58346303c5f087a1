#include <string>

#include "common/files/path_ops.h"
#include "common/registry/registry_access.h"
#include "uninstall/core/registration.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

bool write_application_path(const SetupEnvironment& environment) {
    constexpr auto kMachine = RegistryRoot::kLocalMachine;
    const std::u16string archiver = environment.in_program_folder(kArchiverExeName);
    // The folder without its trailing separator, except for a drive root.
    std::u16string folder = archiver;
    cut_name(folder);

    if (write_registry_string(kMachine, kAppPathsKey, u"", archiver) == os::kRegAccessDenied)
        return false;
    write_registry_string(kMachine, kMachineSettingsKey, u"exe64", archiver);
    write_registry_string(kMachine, kAppPathsKey, u"Path", folder);
    ScopedRegistryView view(RegistryView::k32Bit);
    write_registry_string(kMachine, kAppPathsKey, u"", archiver);
    write_registry_string(kMachine, kAppPathsKey, u"Path", folder);
    return true;
}

}  // namespace kub::setup
