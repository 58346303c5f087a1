#pragma once
// The registration code's view of this program and system: the program folder (where the
// setup program runs), the system version, the shell's change notification and the shortcuts.
#include "uninstall/core/setup_environment.h"

namespace kub::setup {

SetupEnvironment make_setup_environment();

}  // namespace kub::setup
