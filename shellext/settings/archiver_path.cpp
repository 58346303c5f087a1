#include "shellext/settings/archiver_path.h"

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "common/files/path_limits.h"
#include "common/registry/registry_access.h"

namespace kub {
namespace {

bool names_existing_file(std::u16string_view path) {
    return !path.empty() && file_attributes(path) != os::kInvalidAttributes;
}

}  // namespace

std::u16string registered_app_path() {
    std::u16string path;
    read_registry_string(RegistryRoot::kLocalMachine, kAppPathsKey, u"", path, kAppPathsDefault,
                         kPathBufferSize);
    return path;
}

std::u16string ArchiverPath() {
    std::u16string path;
    read_registry_string(RegistryRoot::kLocalMachine, kArchiverKey, kArchiverValue, path, u"",
                         kPathBufferSize);
    // The test is made on the text as stored: an "exe64" written with environment references
    // never passes it, and the App Paths value is used instead.
    if (!names_existing_file(path)) path = registered_app_path();
    std::u16string expanded = os::expand_environment_strings(path);
    if (expanded.size() > kMaxPathLength) expanded.resize(kMaxPathLength);
    return expanded;
}

std::u16string archiver_path_at_load() {
    std::u16string path = registered_app_path();
    if (names_existing_file(path)) return path;
    return ArchiverPath();
}

}  // namespace kub
