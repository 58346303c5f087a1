#include "common/language/language_module.h"

#include <string>

#include "common/language/language_folder.h"
#include "common/files/path_ops.h"

namespace kub {
namespace {

struct ModuleState {
    os::ModuleHandle own = nullptr;     // null until a load names it: then os::own_module()
    os::ModuleHandle loaded = nullptr;  // the language module, when one is loaded
};

ModuleState& state() {
    static ModuleState s;
    return s;
}

}  // namespace

void load_language_module(os::ModuleHandle own_module, std::optional<std::u16string_view> base_path) {
    release_language_module();
    state().own = own_module;
    std::u16string path = base_path ? std::u16string(*base_path) : os::executable_path();
    if (path.empty()) return;
    replace_name(path, kLanguageModuleName);
    state().loaded = os::load_resource_module(apply_language_folder(path));
}

void release_language_module() {
    os::free_resource_module(state().loaded);
    state().loaded = nullptr;
}

os::ModuleHandle own_resource_module() { return state().own ? state().own : os::own_module(); }

os::ModuleHandle resource_source() { return state().loaded ? state().loaded : own_resource_module(); }

os::ModuleHandle dialog_source(std::u16string_view name) {
    os::ModuleHandle source = resource_source();
    if (source != own_resource_module() && !os::module_has_dialog(source, name))
        return own_resource_module();
    return source;
}

bool language_module_loaded() { return state().loaded != nullptr; }

}  // namespace kub
