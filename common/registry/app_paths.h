#pragma once
// The system's record of where the archiver's executable is installed: an App Paths entry under
// HKEY_LOCAL_MACHINE whose default value is the executable's full path.
#include <string_view>

namespace kub {

inline constexpr std::u16string_view kAppPathsKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe";

}  // namespace kub
