#include "shellext/settings/extension_language.h"

#include <string>
#include <string_view>

#include "common/files/path_ops.h"
#include "common/language/language_file.h"
#include "common/language/language_module.h"
#include "shellext/settings/archiver_path.h"

namespace kub {
namespace {

constexpr std::u16string_view kLanguageFileName = u"kubext.lng";

}  // namespace

void load_extension_language(os::ModuleHandle own) {
    // The translations live beside the archiver, not beside the extension.
    std::u16string archiver = archiver_path_at_load();
    load_language_module(own, archiver);
    replace_name(archiver, kLanguageFileName);
    load_language_file(archiver);
}

}  // namespace kub
