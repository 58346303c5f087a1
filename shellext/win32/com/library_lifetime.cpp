#include "shellext/win32/com/library_lifetime.h"

#include <string>

#include "common/language/language_file.h"
#include "common/language/language_module.h"
#include "common/files/path_ops.h"
#include "shellext/core/module_state.h"
#include "shellext/settings/archiver_path.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {
namespace {

constexpr std::u16string_view kLanguageFileName = u"kubext.lng";

}  // namespace

void on_library_load(HMODULE self) noexcept {
    ModuleRefCount = 0;
    try {
        // The translations live beside the archiver, not beside the extension.
        std::u16string archiver = archiver_path_at_load();
        load_language_module(self, archiver);
        replace_name(archiver, kLanguageFileName);
        load_language_file(archiver);
    } catch (...) {
        // Without its translations the library still serves its objects, in the built-in texts.
    }
    try {
        BoldFont = nullptr;
        CommentFont = create_comment_font();
        MenuIconBitmap = nullptr;
    } catch (...) {
    }
}

void on_library_unload() noexcept {
    try {
        delete_module_gdi_objects();
        release_language_module();
    } catch (...) {
    }
}

}  // namespace kub
