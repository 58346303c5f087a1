#include <windows.h>

#include <cstdint>
#include <span>

#include "common/language/resource_checks.h"
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

namespace {

// True when every byte of [data, data + size) is committed, readable memory: a damaged resource
// directory can give a size that runs past the mapped file.
bool readable(const void* data, std::size_t size) {
    auto at = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = at + size;
    if (end < at) return false;
    while (at < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (!::VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region)) return false;
        constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                    PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                                    PAGE_EXECUTE_WRITECOPY;
        if (region.State != MEM_COMMIT || !(region.Protect & kReadable) ||
            (region.Protect & PAGE_GUARD))
            return false;
        at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

// The bytes of a resource, or an empty span when the module has none or they cannot be read.
std::span<const std::uint8_t> resource_bytes(ModuleHandle module, LPCWSTR name, LPCWSTR type) {
    if (!module) return {};
    HMODULE handle = static_cast<HMODULE>(module);
    HRSRC found = ::FindResourceW(handle, name, type);
    if (!found) return {};
    const DWORD size = ::SizeofResource(handle, found);
    HGLOBAL loaded = ::LoadResource(handle, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0 || !readable(data, size)) return {};
    return {static_cast<const std::uint8_t*>(data), size};
}

}  // namespace

std::optional<std::u16string> load_module_string(ModuleHandle module, unsigned id) {
    if (id > 0xFFFF) return std::nullopt;
    // Strings come in blocks of 16: block id / 16 + 1 holds string id % 16.
    auto block = resource_bytes(module, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    return string_from_block(block, id & 0xF, kResourceStringSize - 1);
}

bool module_has_dialog(ModuleHandle module, std::u16string_view name) {
    std::u16string resource(name);
    auto bytes = resource_bytes(module, as_wcstr(resource.c_str()), RT_DIALOG);
    return !bytes.empty() && dialog_template_sound(bytes);
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
