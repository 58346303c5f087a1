#pragma once
// The language module: an optional resource-only library ("kublng.dll") with translated dialogs
// and string tables. While one is loaded it is the resource source; otherwise the program's own
// module is. The state is process-wide and plain (one thread uses it).
#include <optional>
#include <string_view>

#include "common/os/os_module.h"

namespace kub {

inline constexpr std::u16string_view kLanguageModuleName = u"kublng.dll";

// Loads the language module found beside `base_path` (a file path whose name is replaced), or
// beside the executable when none is given, subject to the language folder rule. A module
// loaded before is released first.
void load_language_module(os::ModuleHandle own_module,
                          std::optional<std::u16string_view> base_path = std::nullopt);
// Frees a loaded module; the own module becomes the resource source again.
void release_language_module();

os::ModuleHandle resource_source();
// The module to take dialog `name` from: the resource source when it holds a sound template of
// that name, else the own module, so a language module that lacks a dialog, or holds a damaged
// one, still leaves a dialog to show.
os::ModuleHandle dialog_source(std::u16string_view name);
os::ModuleHandle own_resource_module();
bool language_module_loaded();

}  // namespace kub
