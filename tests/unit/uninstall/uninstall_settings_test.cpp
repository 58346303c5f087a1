// The integration settings as saved and read back, the ownership rule for JAR and ISO, the
// context menu item choices, and the restart check.
#include <gtest/gtest.h>

#include "common/registry/registry_access.h"
#include "tests/support/registry_export.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/setup_traces.h"
#include "uninstall/core/integration_settings.h"
#include "uninstall/core/registry_names.h"
#include "uninstall/core/restart_check.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace kub::setup {
namespace {

constexpr auto kClasses = os::RegistryRoot::kClassesRoot;
constexpr auto kMachine = os::RegistryRoot::kLocalMachine;

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear() {
#if !defined(_WIN32)
        os::clear_registry();
#else
        test::remove_setup_registry_traces();
#endif
    }
};

TEST_F(SettingsTest, FirstSetupOnACleanSystem) {
    write_registry_string(kClasses, u".jar", u"", u"jarfile");
    // An extension whose key exists with an empty type is nobody's.
    write_registry_string(kClasses, u".iso", u"", u"");
    const IntegrationSettings settings = read_integration_settings();
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
        EXPECT_EQ(settings.formats[slot], slot != kJarSlot) << slot;
    EXPECT_FALSE(settings.desktop);
    EXPECT_FALSE(settings.start_menu);
    EXPECT_TRUE(settings.programs);
    EXPECT_TRUE(settings.shell_ext);
    EXPECT_FALSE(settings.cascaded_menu);
    EXPECT_TRUE(settings.menu_icons);
}

TEST_F(SettingsTest, SavedChoicesReadBackAndAnotherProgramsJarWinsOverThem) {
    IntegrationSettings chosen = default_integration_settings();
    chosen.formats[4] = false;  // LZH: kept under ".lzh", the slot's first extension
    chosen.desktop = true;
    chosen.programs = false;
    chosen.cascaded_menu = true;
    save_integration_settings(chosen);

    const std::string setup = test::export_registry_tree(os::RegistryRoot::kCurrentUser,
                                                         u"Software\\Korvex\\Setup");
    EXPECT_NE(setup.find("[HKCU\\Software\\Korvex\\Setup\\.lzh]\n\"Set\"=dword:00000000\n"),
              std::string::npos);
    EXPECT_EQ(setup.find(".lha"), std::string::npos);
    EXPECT_NE(setup.find("[HKCU\\Software\\Korvex\\Setup]\n\"CascadedMenu\"=dword:00000001\n"
                         "\"MenuIcons\"=dword:00000001\n\"ShellExt\"=dword:00000001\n"),
              std::string::npos);
    EXPECT_NE(setup.find("[HKCU\\Software\\Korvex\\Setup\\Links]\n\"Desktop\"=dword:00000001\n"
                         "\"Programs\"=dword:00000000\n\"StartMenu\"=dword:00000000\n"),
              std::string::npos);

    IntegrationSettings read = read_integration_settings();
    EXPECT_FALSE(read.formats[4]);
    EXPECT_TRUE(read.formats[kJarSlot]);
    EXPECT_TRUE(read.desktop);
    EXPECT_FALSE(read.programs);
    EXPECT_TRUE(read.cascaded_menu);

    // Any non-zero number reads as set.
    write_setting_number(u"Setup\\Links", u"StartMenu", 7);
    EXPECT_TRUE(read_integration_settings().start_menu);

    write_registry_string(kClasses, u".jar", u"", u"jarfile");
    write_registry_string(kClasses, u".iso", u"", u"Korvex");
    read = read_integration_settings();
    EXPECT_FALSE(read.formats[kJarSlot]);
    EXPECT_TRUE(read.formats[kIsoSlot]);
}

TEST_F(SettingsTest, MenuItemChoices) {
    for (const MenuItemChoice& choice : kMenuItemChoices)
        EXPECT_EQ(read_menu_item_choice(choice), choice.control_id != 110 && choice.control_id != 111)
            << choice.control_id;
    write_menu_item_choice(kMenuItemChoices[0], false);
    write_menu_item_choice(kMenuItemChoices[9], true);
    EXPECT_EQ(test::export_registry_tree(os::RegistryRoot::kCurrentUser,
                                         u"Software\\Korvex\\Setup\\MenuItems"),
              "[HKCU\\Software\\Korvex\\Setup\\MenuItems]\n\"ExtrTo\"=dword:00000000\n"
              "\"Test\"=dword:00000001\n");
}

class RestartCheckTest : public SettingsTest {
  protected:
    void point_app_path_at_folder() {
        ScopedRegistryView view(RegistryView::k32Bit);
        write_registry_string(kMachine, kAppPathsKey, u"", folder_ / u"Korvex.exe");
    }
    test::ScratchFolder folder_;
};

TEST_F(RestartCheckTest, NoEarlierExtensionNeedsNoRestart) {
    EXPECT_FALSE(restart_needed());
    point_app_path_at_folder();
    EXPECT_FALSE(restart_needed());
}

TEST_F(RestartCheckTest, ExtensionFileThatCanBeOpenedNeedsNoRestart) {
    point_app_path_at_folder();
    ASSERT_TRUE(folder_.write_file(u"kubext64.dll", "MZ"));
    EXPECT_FALSE(restart_needed());
}

TEST_F(RestartCheckTest, LeftBehindFileIsTheCandidateWhenAppPathsHasNone) {
    ASSERT_TRUE(folder_.make_folder(u"Korvex"));
    ASSERT_TRUE(folder_.write_file(u"Korvex\\Kubext64.dll.0.tmp", "MZ"));
    std::u16string folder = folder_.path();
    folder.pop_back();
    // The system's own value, put back at the end.
    std::u16string system_value;
    const bool had_value = read_registry_string(kMachine, kCurrentVersionKey,
                                                u"ProgramFilesDir (x86)", system_value, u"", 2048);
    write_registry_string(kMachine, kCurrentVersionKey, u"ProgramFilesDir (x86)", folder);
    EXPECT_FALSE(restart_needed());
#if defined(_WIN32)
    // Held open by someone who shares reading only, as the shell holds a loaded library.
    const std::u16string path = folder_ / u"Korvex\\Kubext64.dll.0.tmp";
    HANDLE held = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(restart_needed());
    ::CloseHandle(held);
    EXPECT_FALSE(restart_needed());
#endif
    if (had_value)
        write_registry_string(kMachine, kCurrentVersionKey, u"ProgramFilesDir (x86)", system_value);
    else
        delete_registry_value(kMachine, kCurrentVersionKey, u"ProgramFilesDir (x86)");
}

#if defined(_WIN32)
TEST_F(RestartCheckTest, LockedExtensionNeedsARestartUnlessA32BitInstallationOwnsIt) {
    point_app_path_at_folder();
    ASSERT_TRUE(folder_.write_file(u"kubext64.dll", "MZ"));
    const std::u16string path = folder_ / u"kubext64.dll";
    HANDLE held = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(restart_needed());
    {
        ScopedRegistryView view(RegistryView::k32Bit);
        write_registry_string(kMachine, kMachineSettingsKey, u"exe32", u"C:\\x86\\Korvex.exe");
    }
    EXPECT_FALSE(restart_needed());
    ::CloseHandle(held);
}
#endif

}  // namespace
}  // namespace kub::setup
