#pragma once
// The work done when the library is loaded into and unloaded from a process.
#include <windows.h>

namespace kub {

// Process attach: module count reset, archiver located, language resources loaded, comment
// font created. Never throws.
void on_library_load(HMODULE self) noexcept;

// Process detach: fonts, menu images and the language module freed. Never throws.
void on_library_unload() noexcept;

}  // namespace kub
