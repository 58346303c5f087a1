#pragma once
// What the user chose in the settings dialog, kept under HKEY_CURRENT_USER "Software\Korvex" so
// the next setup starts from it and the shell extension follows it.
#include <array>
#include <cstddef>
#include <string_view>

#include "shellext/settings/shell_settings.h"
#include "uninstall/core/format_table.h"

namespace kub::setup {

struct IntegrationSettings {
    std::array<bool, kFormatSlotCount> formats{};  // associate slot i
    bool desktop = false;
    bool start_menu = false;
    bool programs = false;
    bool shell_ext = false;
    bool cascaded_menu = false;
    bool menu_icons = false;
};

// Every slot set, program group, shell integration and menu icons on: what a first setup offers
// before the ownership rule for JAR and ISO.
IntegrationSettings default_integration_settings();

// The saved choices, with the defaults for missing values. JAR and ISO start cleared when
// another program owns their extension, whatever was saved.
IntegrationSettings read_integration_settings();
void save_integration_settings(const IntegrationSettings& settings);

// The check boxes of the context menu items dialog and the values they stand for.
struct MenuItemChoice {
    int control_id;
    DwordSetting setting;
};
inline constexpr std::size_t kMenuItemChoiceCount = 14;
inline constexpr std::array<MenuItemChoice, kMenuItemChoiceCount> kMenuItemChoices = {{
    {101, ShellSettings::kExtrTo},
    {102, ShellSettings::kExtrHere},
    {103, ShellSettings::kExtr},
    {104, ShellSettings::kExtrSep},
    {105, ShellSettings::kOpenSfx},
    {106, ShellSettings::kAddTo},
    {107, ShellSettings::kAddArc},
    {108, ShellSettings::kEmailArc},
    {109, ShellSettings::kEmailOpt},
    {110, ShellSettings::kTest},
    {111, ShellSettings::kConvert},
    {112, ShellSettings::kSfxLocal},
    {113, ShellSettings::kSfxNetwork},
    {114, ShellSettings::kSfxOther},
}};

bool read_menu_item_choice(const MenuItemChoice& choice);
void write_menu_item_choice(const MenuItemChoice& choice, bool on);

}  // namespace kub::setup
