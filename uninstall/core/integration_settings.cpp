#include "uninstall/core/integration_settings.h"

#include <string>

#include "common/registry/registry_access.h"
#include "uninstall/core/association.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

namespace {

struct FlagValue {
    bool IntegrationSettings::*field;
    std::u16string_view key;
    std::u16string_view name;
    bool default_on;
};

constexpr FlagValue kFlagValues[] = {
    {&IntegrationSettings::desktop, kLinksKey, u"Desktop", false},
    {&IntegrationSettings::start_menu, kLinksKey, u"StartMenu", false},
    {&IntegrationSettings::programs, kLinksKey, u"Programs", true},
    {&IntegrationSettings::shell_ext, kSetupKey, u"ShellExt", true},
    {&IntegrationSettings::cascaded_menu, ShellSettings::kCascadedMenu.key,
     ShellSettings::kCascadedMenu.name, ShellSettings::kCascadedMenu.default_value != 0},
    {&IntegrationSettings::menu_icons, ShellSettings::kMenuIcons.key,
     ShellSettings::kMenuIcons.name, ShellSettings::kMenuIcons.default_value != 0},
};

constexpr std::u16string_view kSetValue = u"Set";
// The ownership test reads a type name this long at most.
constexpr std::size_t kTypeNameSize = 80;

std::u16string format_key(std::size_t slot) {
    return std::u16string(kSetupKey) + u"\\" + std::u16string(first_extension(slot));
}

// Another program's type is not taken over by default.
bool owned_by_another_program(std::u16string_view extension) {
    if (is_ours(extension)) return false;
    std::u16string type;
    read_registry_string(RegistryRoot::kClassesRoot, extension, u"", type, u"", kTypeNameSize);
    return !type.empty();
}

}  // namespace

IntegrationSettings default_integration_settings() {
    IntegrationSettings settings;
    settings.formats.fill(true);
    for (const FlagValue& flag : kFlagValues) settings.*flag.field = flag.default_on;
    return settings;
}

IntegrationSettings read_integration_settings() {
    IntegrationSettings settings;
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot) {
        settings.formats[slot] = read_setting_number(format_key(slot), kSetValue, 1) != 0;
        if ((slot == kJarSlot || slot == kIsoSlot) &&
            owned_by_another_program(first_extension(slot)))
            settings.formats[slot] = false;
    }
    for (const FlagValue& flag : kFlagValues)
        settings.*flag.field = read_setting_number(flag.key, flag.name, flag.default_on) != 0;
    return settings;
}

void save_integration_settings(const IntegrationSettings& settings) {
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
        write_setting_number(format_key(slot), kSetValue, settings.formats[slot] ? 1 : 0);
    for (const FlagValue& flag : kFlagValues)
        write_setting_number(flag.key, flag.name, settings.*flag.field ? 1 : 0);
}

bool read_menu_item_choice(const MenuItemChoice& choice) {
    return read_setting_number(choice.setting.key, choice.setting.name,
                               choice.setting.default_value) != 0;
}

void write_menu_item_choice(const MenuItemChoice& choice, bool on) {
    write_setting_number(choice.setting.key, choice.setting.name, on ? 1 : 0);
}

}  // namespace kub::setup
