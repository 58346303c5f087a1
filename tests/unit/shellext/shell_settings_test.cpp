// The extension's settings as it reads them at the moment of use: natively from the in-memory
// registry, under Wine from the real one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/registry/registry_access.h"
#include "shellext/settings/archiver_path.h"
#include "shellext/settings/profile_value.h"
#include "shellext/settings/shell_settings.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace kub {
namespace {

constexpr RegistryRoot kHklm = RegistryRoot::kLocalMachine;

void set_environment(const char* name, const char* value) {
#if defined(_WIN32)
    ::SetEnvironmentVariableA(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

class ShellSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
#if !defined(_WIN32)
        os::clear_registry();
#endif
        remove_keys();
    }
    void TearDown() override { remove_keys(); }

    static void remove_keys() {
        for (auto key : {u"Setup", u"Profiles", u"Paths", u"Interface", u"FileList", u"General"}) {
            delete_registry_tree(RegistryRoot::kCurrentUser, key);
        }
        delete_registry_value(kHklm, kArchiverKey, kArchiverValue);
        delete_registry_tree(kHklm, kAppPathsKey);
    }

    // A named profile with the given numbers and its own "ArcName".
    static void write_profile(int n, std::u16string_view name, std::uint32_t add_to_menu,
                              std::uint32_t is_default) {
        const std::u16string key = profile_key(n);
        write_setting_string(key, u"Name", name);
        write_setting_number(key, u"AddToMenu", add_to_menu);
        write_setting_number(key, u"Default", is_default);
        write_setting_string(key, u"ArcName", std::u16string(u"arc-") + std::u16string(name));
    }

    static std::u16string arc_name_of(std::int32_t selector) {
        std::u16string text = u"untouched";
        ReadProfileValue(selector, u"ArcName", &text, 2048, 0);
        return text;
    }
};

// Every value under the key and name the setup program writes: missing, it reads as its
// default; written once (the opposite of the default), it reads back through the settings, so a
// misspelt key or name fails here.
TEST_F(ShellSettingsTest, EveryValueReadsItsDefaultAndWhatSetupWrote) {
    ASSERT_EQ(write_setting_string(u"Setup\\MenuItems", u"Unrelated", u"x"), os::kRegOk);
    namespace S = ShellSettings;
    struct Case {
        const DwordSetting& setting;
        std::u16string_view key;
        std::u16string_view name;
        std::uint32_t default_value;
    };
    const Case cases[] = {
        {S::kExtrTo, u"Setup\\MenuItems", u"ExtrTo", 1},
        {S::kExtrHere, u"Setup\\MenuItems", u"ExtrHere", 1},
        {S::kExtr, u"Setup\\MenuItems", u"Extr", 1},
        {S::kExtrSep, u"Setup\\MenuItems", u"ExtrSep", 1},
        {S::kOpenSfx, u"Setup\\MenuItems", u"OpenSFX", 1},
        {S::kAddTo, u"Setup\\MenuItems", u"AddTo", 1},
        {S::kAddArc, u"Setup\\MenuItems", u"AddArc", 1},
        {S::kEmailArc, u"Setup\\MenuItems", u"EmailArc", 1},
        {S::kEmailOpt, u"Setup\\MenuItems", u"EmailOpt", 1},
        {S::kTest, u"Setup\\MenuItems", u"Test", 0},
        {S::kConvert, u"Setup\\MenuItems", u"Convert", 0},
        {S::kProfile, u"Setup\\MenuItems", u"Profile", 1},
        {S::kSfxLocal, u"Setup\\MenuItems", u"SFXLocal", 1},
        {S::kSfxNetwork, u"Setup\\MenuItems", u"SFXNetwork", 1},
        {S::kSfxOther, u"Setup\\MenuItems", u"SFXOther", 1},
        {S::kCascadedMenu, u"Setup", u"CascadedMenu", 0},
        {S::kMenuIcons, u"Setup", u"MenuIcons", 1},
        {S::kAllVolumes, u"FileList", u"AllVolumes", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(read_setting(c.setting), c.default_value);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        const std::uint32_t written = c.default_value == 0 ? 5 : 0;
        ASSERT_EQ(write_setting_number(c.key, c.name, written), os::kRegOk);
        EXPECT_EQ(read_setting(c.setting), written);
    }

    struct TextCase {
        const StringSetting& setting;
        std::u16string_view key;
        std::u16string_view name;
    };
    const TextCase texts[] = {
        {S::kCustomExt, u"Setup", u"CustomExt"},
        {S::kShellExtBmp, u"Interface\\Themes", u"ShellExtBMP"},
        {S::kShellExtIcon, u"Interface\\Themes", u"ShellExtIcon"},
        {S::kTempFolder, u"Paths", u"TempFolder"},
        {S::kLanguageFolder, u"General", u"LanguageFolder"},
    };
    for (const TextCase& c : texts) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(read_setting(c.setting), u"");
        ASSERT_EQ(write_setting_string(c.key, c.name, u"written"), os::kRegOk);
        EXPECT_EQ(read_setting(c.setting), u"written");
    }
}

TEST_F(ShellSettingsTest, ChangedValuesApplyAtTheNextRead) {
    EXPECT_EQ(read_setting(ShellSettings::kTest), 0u);
    write_setting_number(u"Setup\\MenuItems", u"Test", 1);
    EXPECT_EQ(read_setting(ShellSettings::kTest), 1u);
    write_setting_number(u"Setup", u"MenuIcons", 0);
    EXPECT_EQ(read_setting(ShellSettings::kMenuIcons), 0u);
    write_setting_number(u"Setup", u"MenuIcons", 7);
    EXPECT_EQ(read_setting(ShellSettings::kMenuIcons), 7u);
}

TEST_F(ShellSettingsTest, StringSettingsKeepTheirCapacity) {
    // "CustomExt" holds at most 1023 units; a longer text reads as missing.
    const std::u16string fits(1023, u'e');
    write_setting_string(u"Setup", u"CustomExt", fits);
    EXPECT_EQ(read_setting(ShellSettings::kCustomExt), fits);
    write_setting_string(u"Setup", u"CustomExt", fits + u"e");
    EXPECT_EQ(read_setting(ShellSettings::kCustomExt), u"");

    set_environment("KUB_SETTINGS_TEST_DIR", "X:\\scratch");
    write_setting_string(u"Paths", u"TempFolder", u"%KUB_SETTINGS_TEST_DIR%\\tmp");
    EXPECT_EQ(read_setting(ShellSettings::kTempFolder), u"X:\\scratch\\tmp");
    // Expansion may grow the text past the buffer: it is cut to 2047 units.
    set_environment("KUB_SETTINGS_TEST_DIR", std::string(3000, 'd').c_str());
    EXPECT_EQ(read_setting(ShellSettings::kTempFolder), std::u16string(2047, u'd'));
}

TEST_F(ShellSettingsTest, ProfileListEndsAtTheFirstUnnamedProfile) {
    write_profile(0, u"zero", 1, 0);
    write_setting_number(profile_key(1), u"AddToMenu", 1);  // no "Name"
    write_profile(2, u"two", 1, 1);

    EXPECT_EQ(arc_name_of(0), u"arc-zero");
    EXPECT_EQ(arc_name_of(1), u"untouched");
    EXPECT_EQ(arc_name_of(kDefaultProfileSelector), u"untouched");
    EXPECT_EQ(ReadProfileValue(1, u"AddToMenu", nullptr, 0, 42), 42u);
}

TEST_F(ShellSettingsTest, SelectorsCountMenuProfilesAndFindTheDefault) {
    write_profile(0, u"zero", 0, 0);
    write_profile(1, u"one", 1, 0);
    write_profile(2, u"two", 1, 1);

    EXPECT_EQ(arc_name_of(0), u"arc-one");
    EXPECT_EQ(arc_name_of(1), u"arc-two");
    EXPECT_EQ(arc_name_of(kDefaultProfileSelector), u"arc-two");
    EXPECT_EQ(arc_name_of(2), u"untouched");

    // One call serves number values too.
    write_setting_number(profile_key(2), u"ImmExec", 1);
    EXPECT_EQ(ReadProfileValue(1, u"ImmExec", nullptr, 0, 0), 1u);
    EXPECT_EQ(ReadProfileValue(0, u"ImmExec", nullptr, 0, 0), 0u);
    // A profile marked "Default" but not in the menu is still the default profile.
    write_setting_number(profile_key(2), u"Default", 0);
    write_setting_number(profile_key(0), u"Default", 1);
    EXPECT_EQ(arc_name_of(kDefaultProfileSelector), u"arc-zero");
}

TEST_F(ShellSettingsTest, WithoutADefaultProfileLookupsGiveTheirDefaults) {
    write_profile(0, u"zero", 1, 0);
    write_setting_number(profile_key(0), u"UseKUB", 0);
    std::u16string text = u"untouched";
    EXPECT_EQ(ReadProfileValue(kDefaultProfileSelector, u"UseKUB", &text, 16,
                               ProfileSettings::kUseKub.default_value),
              1u);
    EXPECT_EQ(text, u"untouched");
    // No profiles at all.
    delete_registry_tree(RegistryRoot::kCurrentUser, u"Profiles");
    EXPECT_EQ(ReadProfileValue(0, u"UseKUB", &text, 16, 1), 1u);
    EXPECT_EQ(text, u"untouched");
}

TEST_F(ShellSettingsTest, ProfileTextKeepsAtMostCapacityMinusTwoUnits) {
    write_profile(0, u"zero", 1, 0);
    write_setting_string(profile_key(0), u"ArcName", u"abcdefgh");  // 8 units
    std::u16string text;
    EXPECT_EQ(ReadProfileValue(0, u"ArcName", &text, 10, 5), 5u);  // text read, number default
    EXPECT_EQ(text, u"abcdefgh");
    text = u"x";
    ReadProfileValue(0, u"ArcName", &text, 9, 0);
    EXPECT_EQ(text, u"");  // too long for 9 - 2 units: reads as missing
    text = u"x";
    ReadProfileValue(0, u"Missing", &text, 10, 0);
    EXPECT_EQ(text, u"");
}

class ArchiverPathTest : public ShellSettingsTest {
protected:
    void SetUp() override {
        ShellSettingsTest::SetUp();
        // Named after the process: two checkouts may run this test at the same time.
        folder_ = std::filesystem::temp_directory_path() /
                  ("kub_archiver_path_test-" + std::to_string(os::current_process_id()));
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "Korvex.exe") << "MZ";
        existing_ = (folder_ / "Korvex.exe").u16string();
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        ShellSettingsTest::TearDown();
    }
    static void set_exe64(std::u16string_view path) {
        write_registry_string(kHklm, kArchiverKey, kArchiverValue, path);
    }
    static void set_app_path(std::u16string_view path) {
        write_registry_string(kHklm, kAppPathsKey, u"", path);
    }

    std::filesystem::path folder_;
    std::u16string existing_;
};

TEST_F(ArchiverPathTest, Exe64IsUsedWhenItNamesAnExistingFile) {
    set_exe64(existing_);
    set_app_path(u"C:\\elsewhere\\Korvex.exe");
    EXPECT_EQ(ArchiverPath(), existing_);
}

TEST_F(ArchiverPathTest, EnvironmentReferencesInExe64FailTheExistenceTest) {
    set_environment("KUB_ARCHIVER_TEST_DIR", std::filesystem::path(folder_).string().c_str());
    set_exe64(u"%KUB_ARCHIVER_TEST_DIR%\\Korvex.exe");
    set_app_path(u"C:\\registered\\Korvex.exe");
    EXPECT_EQ(ArchiverPath(), u"C:\\registered\\Korvex.exe");
}

TEST_F(ArchiverPathTest, FallbacksWhenNothingExists) {
    EXPECT_EQ(ArchiverPath(), u"korvex.exe");  // neither value present
    set_exe64(u"C:\\missing\\Korvex.exe");
    set_environment("KUB_ARCHIVER_TEST_DIR", "D:\\apps");
    set_app_path(u"%KUB_ARCHIVER_TEST_DIR%\\Korvex.exe");
    // The chosen value is expanded, and returned although it exists nowhere.
    EXPECT_EQ(ArchiverPath(), u"D:\\apps\\Korvex.exe");
}

TEST_F(ArchiverPathTest, LibraryLoadPrefersAnExistingAppPathsValue) {
    set_exe64(u"C:\\missing\\Korvex.exe");
    set_app_path(existing_);
    EXPECT_EQ(archiver_path_at_load(), existing_);

    set_app_path(u"C:\\missing\\Korvex.exe");
    set_exe64(existing_);
    EXPECT_EQ(archiver_path_at_load(), existing_);
}

}  // namespace
}  // namespace kub
