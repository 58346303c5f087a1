#include "common/language/language_folder.h"

#include "common/files/file_helpers.h"
#include "common/os/os.h"
#include "common/files/path_ops.h"
#include "common/registry/registry_access.h"

namespace kub {
namespace {

constexpr std::u16string_view kGeneralKey = u"General";
constexpr std::u16string_view kLanguageFolderValue = u"LanguageFolder";

}  // namespace

std::u16string apply_language_folder(std::u16string_view default_path) {
    std::u16string fallback(default_path.substr(0, kMaxPathLength));
    std::u16string_view name = name_part(fallback);
    // The folder and the name share one path buffer.
    if (name.empty() || name.size() >= kMaxPathLength) return fallback;
    std::u16string folder;
    read_setting_string(kGeneralKey, kLanguageFolderValue, folder, {},
                        kPathBufferSize - name.size());
    // No folder set means no language folder: the name alone would be looked up in the current
    // folder, which belongs to whoever started the program.
    if (folder.empty()) return fallback;

    std::u16string candidate = os::expand_environment_strings(folder);
    if (candidate.empty()) return fallback;
    if (candidate.size() > kMaxPathLength) candidate.resize(kMaxPathLength);
    append_separator(candidate);
    if (candidate.size() + name.size() > kMaxPathLength) return fallback;
    candidate += name;
    return file_exists(candidate) ? candidate : fallback;
}

}  // namespace kub
