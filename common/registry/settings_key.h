#pragma once
// Where the archiver's settings live: every registry key name the helpers take is composed here.
#include <cstddef>
#include <string>
#include <string_view>

#include "common/os/os.h"

namespace kub {

// Composed key names are cut to this many characters.
inline constexpr std::size_t kMaxRegistryKeyNameLength = 511;

// For HKEY_CURRENT_USER a name without a leading backslash lies under "Software\Korvex" (the
// empty name is that key itself); a leading backslash means "from the root" and is dropped.
// Names under every other root are used as given.
std::u16string SettingsKey(os::RegistryRoot root, std::u16string_view name);

}  // namespace kub
