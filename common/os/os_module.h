#pragma once
// Resource modules: the program's own module and resource-only libraries (a language module)
// loaded as data, never executed. The string table and the dialog templates are what the
// language code looks at.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kub::os {

// A module handle as the system gives it; null for none.
using ModuleHandle = void*;

// Resource strings are fetched into buffers of this many units (terminator included).
inline constexpr std::size_t kResourceStringSize = 512;

// The module this code is linked into (the DLL or the executable).
ModuleHandle own_module();

// Loads a library as a data file only, so no code of it runs; null when that fails.
ModuleHandle load_resource_module(std::u16string_view path);
void free_resource_module(ModuleHandle module);

// String `id` of the module's string table, cut to kResourceStringSize - 1 units; nothing when
// the module has no such string, it is empty, or the table is damaged. The native build's own
// module is the built-in text table.
std::optional<std::u16string> load_module_string(ModuleHandle module, unsigned id);

// True when the module holds a whole, readable dialog template under this resource name.
bool module_has_dialog(ModuleHandle module, std::u16string_view name);

// Libraries whose code runs (an outside component's exports are called). Only a full path is
// accepted: a bare or relative name would let the system search folders, the current one among
// them, where a planted file could stand in. Null when the path is not full or loading fails.
ModuleHandle load_code_library(std::u16string_view full_path);
// The address of an export; null when the library has none of that name.
void* find_library_export(ModuleHandle module, const char* name);
void free_code_library(ModuleHandle module);

// Full path of the running executable.
std::u16string executable_path();

}  // namespace kub::os
