#pragma once
// Where the archiver executable is: the extension starts it for every command and loads its
// translations from the archiver's folder.
#include <string>
#include <string_view>

#include "common/registry/app_paths.h"

namespace kub {

// HKEY_LOCAL_MACHINE "Software\Korvex" "exe64": the installer's record of the executable.
inline constexpr std::u16string_view kArchiverKey = u"Software\\Korvex";
inline constexpr std::u16string_view kArchiverValue = u"exe64";
inline constexpr std::u16string_view kAppPathsDefault = u"korvex.exe";

// The App Paths value, or "korvex.exe" when it is missing.
std::u16string registered_app_path();

// "exe64" when it names an existing file as written, else the App Paths value; environment
// references expanded afterwards. A path that exists nowhere is still returned.
std::u16string ArchiverPath();

// The path the library uses at load: the App Paths value when it names an existing file, else
// ArchiverPath().
std::u16string archiver_path_at_load();

}  // namespace kub
