#include <string>

#include "common/files/disk_file.h"
#include "common/language/language_file.h"
#include "common/language/language_folder.h"
#include "common/language/language_module.h"
#include "common/files/path_ops.h"

namespace kub {
namespace {

constexpr std::u16string_view kRtlDialog = u"RTL";

}  // namespace

bool LanguageFile::load(std::u16string_view path) {
    unload();
    DiskFile file;
    // A missing or unreadable language file only means no translation.
    file.report_errors = false;
    if (!file.Open(path, kOpenShareWrite)) return false;
    return load([&file](std::uint64_t offset, std::span<std::uint8_t> buffer) -> std::ptrdiff_t {
        if (!file.Seek(static_cast<std::int64_t>(offset))) return -1;
        return static_cast<std::ptrdiff_t>(file.Read(buffer.data(), buffer.size()));
    });
}

bool load_language_file(std::u16string_view name) {
    std::u16string path = apply_language_folder(name);
    if (name_offset(path) == 0) {
        std::u16string beside = os::executable_path();
        replace_name(beside, path);
        path = beside;
    }
    LanguageFile& file = language_file();
    bool loaded = file.load(path);
    file.settle_direction(os::module_has_dialog(resource_source(), kRtlDialog));
    return loaded;
}

}  // namespace kub
