#include <cstdio>
#include <string>

#include "common/language/lang_string.h"
#include "common/registry/registry_access.h"
#include "uninstall/core/registration.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

namespace {

constexpr unsigned kBetaWord = 5140;
constexpr unsigned kBitnessText = 5142;
constexpr std::u16string_view kPublisher = u"Korvex Software";

std::u16string ascii(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string version_text(const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, kVersionMajor, kVersionMinor, kBetaNumber);
    return ascii(text);
}

}  // namespace

std::u16string installed_display_name() {
    std::u16string name = u"Korvex " + version_text("%u.%02u");
    const std::u16string beta = LangString(kBetaWord);
    name += u" " + beta + u" " + ascii(std::to_string(kBetaNumber).c_str());
    const std::u16string bitness = LangString(kBitnessText);
    name += u" (" + bitness + u")";
    return name;
}

void write_installed_program(const SetupEnvironment& environment) {
    constexpr auto kMachine = RegistryRoot::kLocalMachine;
    write_registry_string(kMachine, kUninstallKey, u"DisplayName", installed_display_name());
    write_registry_string(kMachine, kUninstallKey, u"DisplayVersion", version_text("%u.%02u.%u"));
    write_registry_number(kMachine, kUninstallKey, u"VersionMajor", kVersionMajor);
    write_registry_number(kMachine, kUninstallKey, u"VersionMinor", kVersionMinor);
    write_registry_string(kMachine, kUninstallKey, u"UninstallString", environment.uninstall_path);
    write_registry_string(kMachine, kUninstallKey, u"DisplayIcon",
                          environment.in_program_folder(kArchiverExeName));
    write_registry_string(kMachine, kUninstallKey, u"InstallLocation", environment.program_folder);
    write_registry_number(kMachine, kUninstallKey, u"NoModify", 1);
    write_registry_number(kMachine, kUninstallKey, u"NoRepair", 1);
    write_registry_number(kMachine, kUninstallKey, u"Language", 0);
    write_registry_string(kMachine, kUninstallKey, u"Publisher", kPublisher);
}

}  // namespace kub::setup
