#include <string>

#include "common/files/path_limits.h"
#include "common/language/lang_string.h"
#include "common/registry/registry_access.h"
#include "uninstall/core/format_table.h"
#include "uninstall/core/registration.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

namespace {

constexpr auto kClasses = RegistryRoot::kClassesRoot;
constexpr unsigned kKubDescription = 5111;
constexpr unsigned kZipDescription = 5112;
constexpr unsigned kRevDescription = 5113;

void write_prog_id_keys(std::u16string_view prog_id, std::u16string_view open_command,
                        std::u16string_view icon) {
    const std::u16string key(prog_id);
    write_registry_string(kClasses, key + u"\\shell\\open\\command", u"", open_command);
    // An icon the user chose stays.
    std::u16string current;
    read_registry_string(kClasses, key + u"\\DefaultIcon", u"", current, u"", kPathBufferSize);
    if (current.empty()) write_registry_string(kClasses, key + u"\\DefaultIcon", u"", icon);
}

}  // namespace

bool write_prog_ids(const SetupEnvironment& environment) {
    const std::u16string archiver = environment.in_program_folder(kArchiverExeName);
    const std::u16string open_command = u"\"" + archiver + u"\" \"%1\"";
    const std::u16string archive_icon = archiver + u",0";
    const std::u16string volume_icon = archiver + u",1";

    if (write_registry_string(kClasses, kProgId, u"", LangString(kKubDescription)) ==
        os::kRegAccessDenied)
        return false;
    write_prog_id_keys(kProgId, open_command, archive_icon);

    write_registry_string(kClasses, kZipProgId, u"", LangString(kZipDescription));
    write_prog_id_keys(kZipProgId, open_command, archive_icon);

    write_registry_string(kClasses, u".rev", u"", kRevProgId);
    write_registry_string(kClasses, kRevProgId, u"", LangString(kRevDescription));
    write_prog_id_keys(kRevProgId, open_command, volume_icon);

    environment.notify();
    return true;
}

}  // namespace kub::setup
