#include <windows.h>

#include "common/os/os_module.h"
#include "common/os/win32/wide_cast.h"
#include "common/files/path_limits.h"
#include "common/files/path_ops.h"

namespace kub::os {

ModuleHandle own_module() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&own_module), &module);
    return module;
}

ModuleHandle load_resource_module(std::u16string_view path) {
    std::u16string name(path);
    return ::LoadLibraryExW(as_wcstr(name.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

void free_resource_module(ModuleHandle module) {
    if (module) ::FreeLibrary(static_cast<HMODULE>(module));
}

std::optional<std::u16string> load_module_string(ModuleHandle module, unsigned id) {
    if (!module) return std::nullopt;
    wchar_t buffer[kResourceStringSize];
    int length = ::LoadStringW(static_cast<HINSTANCE>(module), id, buffer, kResourceStringSize);
    if (length <= 0) return std::nullopt;
    return std::u16string(as_u16cstr(buffer), static_cast<std::size_t>(length));
}

bool module_has_dialog(ModuleHandle module, std::u16string_view name) {
    if (!module) return false;
    std::u16string resource(name);
    return ::FindResourceW(static_cast<HMODULE>(module), as_wcstr(resource.c_str()), RT_DIALOG) !=
           nullptr;
}

ModuleHandle load_code_library(std::u16string_view full_path) {
    // "X:\..." or "\\server\share\...": nothing the system would look up along its search path.
    if (!kub::is_absolute(full_path)) return nullptr;
    std::u16string name(full_path);
    return ::LoadLibraryW(as_wcstr(name.c_str()));
}

void* find_library_export(ModuleHandle module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void free_code_library(ModuleHandle module) {
    if (module) ::FreeLibrary(static_cast<HMODULE>(module));
}

std::u16string executable_path() {
    wchar_t buffer[kPathBufferSize];
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize) return {};
    return std::u16string(as_u16cstr(buffer), length);
}

}  // namespace kub::os
