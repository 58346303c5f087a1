#pragma once
// The registration setup performs when the settings dialog is confirmed, step by step. Write
// failures are ignored except "access denied" at the two places where it means the program runs
// without the rights it needs (application path, the ProgID "Korvex"): those end the apply step.
#include <string>

#include "uninstall/core/integration_settings.h"
#include "uninstall/core/setup_environment.h"

namespace kub::setup {

// The version the installed program entry names.
inline constexpr unsigned kVersionMajor = 5;
inline constexpr unsigned kVersionMinor = 11;
inline constexpr unsigned kBetaNumber = 1;

// App Paths entry (both views) and HKLM "Software\Korvex" "exe64". False when access is denied.
bool write_application_path(const SetupEnvironment& environment);

// The ProgIDs "Korvex", "Korvex.ZIP" and "Korvex.REV" with descriptions, icons and open
// commands, and ".rev". False when access to "Korvex" is denied.
bool write_prog_ids(const SetupEnvironment& environment);

// Application path, shell extension and capabilities, associations, ProgIDs, shortcuts. False
// when it stopped early for lack of access.
bool apply_integration(const IntegrationSettings& settings, const SetupEnvironment& environment);

// The entry in the system's list of installed programs.
std::u16string installed_display_name();
void write_installed_program(const SetupEnvironment& environment);

}  // namespace kub::setup
