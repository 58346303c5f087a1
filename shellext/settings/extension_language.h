#pragma once
// The extension's translations: the language module and "kubext.lng" beside the archiver (or in
// the language folder), loaded once when the library is. Tools that show what the extension
// shows load them the same way.
#include "common/os/os_module.h"

namespace kub {

// Loads both for the module `own` (the extension's own resources stay the fallback).
void load_extension_language(os::ModuleHandle own);

}  // namespace kub
