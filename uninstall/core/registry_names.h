#pragma once
// Keys setup writes outside the archiver's own settings key.
#include <string_view>

namespace kub::setup {

// HKEY_LOCAL_MACHINE.
inline constexpr std::u16string_view kMachineSettingsKey = u"Software\\Korvex";
inline constexpr std::u16string_view kAppPathsKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe";
inline constexpr std::u16string_view kApprovedKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
inline constexpr std::u16string_view kRegisteredApplicationsKey =
    u"Software\\RegisteredApplications";
inline constexpr std::u16string_view kCapabilitiesKey = u"Software\\Korvex\\Capabilities";
inline constexpr std::u16string_view kFileAssociationsKey =
    u"Software\\Korvex\\Capabilities\\FileAssociations";
inline constexpr std::u16string_view kUninstallKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvex archiver";
inline constexpr std::u16string_view kCurrentVersionKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion";

// Under HKEY_CURRENT_USER "Software\Korvex".
inline constexpr std::u16string_view kSetupKey = u"Setup";
inline constexpr std::u16string_view kLinksKey = u"Setup\\Links";

inline constexpr std::u16string_view kArchiverExeName = u"Korvex.exe";

}  // namespace kub::setup
