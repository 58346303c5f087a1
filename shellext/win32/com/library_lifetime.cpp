#include "shellext/win32/com/library_lifetime.h"

#include "common/language/language_module.h"
#include "common/registry/settings_cache.h"
#include "shellext/core/module_state.h"
#include "shellext/settings/extension_language.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {

void on_library_load(HMODULE self) noexcept {
    ModuleRefCount = 0;
    // Every menu reads the same settings; they are kept while the registry reports no change.
    set_settings_cache_enabled(true);
    try {
        load_extension_language(self);
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
