#include "uninstall/core/restart_check.h"

#include <string>

#include "common/files/file_helpers.h"
#include "common/files/path_limits.h"
#include "common/files/path_ops.h"
#include "common/registry/registry_access.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

namespace {

constexpr std::u16string_view kExtensionFile = u"kubext64.dll";
// The name under which an uninstall leaves an extension that was in use.
constexpr std::u16string_view kLeftBehindFile = u"Korvex\\Kubext64.dll.0.tmp";

// The file the earlier extension would be, or empty when a 32-bit installation still owns it.
std::u16string candidate_file() {
    constexpr auto kMachine = RegistryRoot::kLocalMachine;
    std::u16string exe32;
    std::u16string app_path;
    {
        ScopedRegistryView view(RegistryView::k32Bit);
        read_registry_string(kMachine, kMachineSettingsKey, u"exe32", exe32, u"", kPathBufferSize);
        read_registry_string(kMachine, kAppPathsKey, u"", app_path, u"", kPathBufferSize);
    }
    if (!app_path.empty()) {
        replace_name(app_path, kExtensionFile);
        if (file_exists(app_path)) return exe32.empty() ? app_path : std::u16string();
    }
    std::u16string folder;
    read_registry_string(kMachine, kCurrentVersionKey, u"ProgramFilesDir (x86)", folder, u"",
                         kPathBufferSize);
    return folder + u"\\" + std::u16string(kLeftBehindFile);
}

}  // namespace

bool restart_needed() {
    const std::u16string candidate = candidate_file();
    if (candidate.empty() || !file_exists(candidate)) return false;
    os::OpenOptions options;
    options.access = os::FileAccess::read_write;
    options.share_write = false;
    const os::NativeFile file = os::open_file(candidate, options);
    if (file == os::kInvalidFile) return true;
    os::close_file(file);
    return false;
}

}  // namespace kub::setup
