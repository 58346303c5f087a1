#pragma once
// The archiver's shortcuts: on the desktop, in the start menu, and the program group in both the
// user's and all users' Programs folders. Setup makes what the settings ask for and removes the
// rest; uninstall passes settings with everything cleared.
#include <string>

#include "uninstall/core/integration_settings.h"

namespace kub::setup {

// Saves a shell link to `target` at `link`, keeping the properties of a link already there
// (it is loaded first). True when the link was saved.
bool make_shortcut(const std::u16string& target, const std::u16string& link,
                   const std::u16string& description);

// `program_folder` with its trailing separator. `group_path`, when given, receives the folder of
// the program group that setup made.
void update_shortcuts(const IntegrationSettings& settings, const std::u16string& program_folder,
                      bool vista_or_later, std::u16string* group_path);

}  // namespace kub::setup
