#pragma once
// Associating archive extensions with the archiver's ProgIDs, keeping a copy of the association
// each replaces (HKEY_CURRENT_USER "Software\Korvex\Setup\<extension>") so that it can be put
// back, and putting it back.
#include <string_view>

#include "uninstall/core/integration_settings.h"
#include "uninstall/core/setup_environment.h"

namespace kub::setup {

enum class FormatKind { kOther, kKub, kZip };

// The extension's type (read as 80 characters at most) is one of the archiver's ProgIDs.
bool is_ours(std::u16string_view extension);

// Saves the extension's state unless it is ours already, points it at our ProgID, and with
// shell integration gives KUB and ZIP their "New" menu template.
void associate_extension(std::u16string_view extension, FormatKind kind, bool shell_integration,
                         const SetupEnvironment& environment);

// Puts back the saved state of an extension that is still ours; one another program has taken
// over since is left alone.
void restore_extension(std::u16string_view extension, FormatKind kind);

// Every extension of every slot, associated or restored by the slot's flag.
void update_associations(const IntegrationSettings& settings, const SetupEnvironment& environment);

}  // namespace kub::setup
