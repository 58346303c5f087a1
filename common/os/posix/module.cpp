#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "common/os/os_module.h"
#include "common/os/posix/native_path.h"
#include "resources/builtin_strings.h"

namespace kub::os {
namespace {

// There are no resource libraries here; the own module stands for the built-in text table.
char own_module_tag;

}  // namespace

ModuleHandle own_module() { return &own_module_tag; }

ModuleHandle load_resource_module(std::u16string_view) { return nullptr; }

void free_resource_module(ModuleHandle) {}

std::optional<std::u16string> load_module_string(ModuleHandle module, unsigned id) {
    if (module != &own_module_tag) return std::nullopt;
    const char16_t* text = find_builtin_string(id);
    if (!text || !*text) return std::nullopt;
    std::u16string_view view(text);
    return std::u16string(view.substr(0, kResourceStringSize - 1));
}

bool module_has_dialog(ModuleHandle, std::u16string_view) { return false; }

ModuleHandle load_code_library(std::u16string_view full_path) {
    if (full_path.empty() || (full_path[0] != u'/' && full_path[0] != u'\\')) return nullptr;
    std::string native = posix::to_native_path(full_path);
    return ::dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* find_library_export(ModuleHandle module, const char* name) {
    return module ? ::dlsym(module, name) : nullptr;
}

void free_code_library(ModuleHandle module) {
    if (module) ::dlclose(module);
}

std::u16string executable_path() {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return {};
    return posix::from_native_name(std::string_view(buffer, static_cast<std::size_t>(length)));
}

}  // namespace kub::os
