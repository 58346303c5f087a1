// What setup leaves in the registry: whole subtrees compared with expected exports, after apply,
// re-apply and restore. Natively against the in-memory registry, under Wine against the real one
// (each test clears the keys it touches first and last).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "common/checksum/crc32.h"
#include "common/files/file_helpers.h"
#include "common/registry/registry_access.h"
#include "tests/support/registry_export.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/setup_traces.h"
#include "uninstall/core/association.h"
#include "uninstall/core/new_file_templates.h"
#include "uninstall/core/registration.h"
#include "uninstall/core/registry_names.h"
#include "uninstall/core/shell_extension_registration.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace kub::setup {
namespace {

using os::RegistryRoot;
using test::export_registry_tree;
constexpr auto kClasses = RegistryRoot::kClassesRoot;
constexpr auto kMachine = RegistryRoot::kLocalMachine;
constexpr auto kUser = RegistryRoot::kCurrentUser;

constexpr char kClass64[] = "{B41DB860-64E4-11D2-9906-E49FADC173CA}";
constexpr char kClass32[] = "{B41DB860-8EE4-11D2-9906-E49FADC173CA}";

std::u16string old_volume(unsigned number) {
    char text[8];
    std::snprintf(text, sizeof text, ".k%02u", number);
    return std::u16string(text, text + 4);
}

// Everything any test here writes, so the real registry of the Wine session is left as found.
void clear_touched_keys() {
#if !defined(_WIN32)
    os::clear_registry();
#else
    test::remove_setup_registry_traces();
#endif
}

class RegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clear_touched_keys();
        ASSERT_FALSE(folder_.path().empty());
        environment_.program_folder = folder_.path();
        environment_.uninstall_path = folder_ / u"uninstall.exe";
        environment_.notify_association_change = [this] { ++notifications_; };
        environment_.update_shortcuts = [this](const IntegrationSettings&) { ++shortcut_updates_; };
    }
    void TearDown() override { clear_touched_keys(); }

    // The export with the scratch folder written "<folder>" (with its separator) and "<dir>"
    // (without), as string values show them.
    std::string exported(RegistryRoot root, std::u16string_view path) const {
        const std::string folder = test::replace_all(test::to_utf8(folder_.path()), "\\", "\\\\");
        std::string text = test::replace_all(export_registry_tree(root, path), folder, "<folder>");
        return test::replace_all(text, folder.substr(0, folder.size() - 2), "<dir>");
    }
    void put_extension_dlls() const {
        ASSERT_TRUE(folder_.write_file(u"kubext.dll", "MZ"));
        ASSERT_TRUE(folder_.write_file(u"kubext32.dll", "MZ"));
    }
    std::string file_bytes(std::u16string_view name) const {
        std::FILE* stream = open_file_stream(folder_ / name, "rb");
        if (!stream) return "<missing>";
        std::string bytes;
        for (int c; (c = std::fgetc(stream)) != EOF;) bytes += static_cast<char>(c);
        std::fclose(stream);
        return bytes;
    }
    static IntegrationSettings only(std::size_t slot, bool shell_ext) {
        IntegrationSettings settings;
        settings.formats[slot] = true;
        settings.shell_ext = shell_ext;
        return settings;
    }

    test::ScratchFolder folder_;
    SetupEnvironment environment_;
    int notifications_ = 0;
    int shortcut_updates_ = 0;
};

constexpr char kRegisteredProgId[] =
    "[HKCR\\Korvex]\n"
    "@=\"Korvex 压缩文件\"\n"
    "[HKCR\\Korvex\\DefaultIcon]\n"
    "@=\"<folder>Korvex.exe,0\"\n"
    "[HKCR\\Korvex\\shell]\n"
    "[HKCR\\Korvex\\shell\\open]\n"
    "[HKCR\\Korvex\\shell\\open\\command]\n"
    "@=\"\\\"<folder>Korvex.exe\\\" \\\"%1\\\"\"\n"
    "[HKCR\\Korvex\\shellex]\n"
    "[HKCR\\Korvex\\shellex\\ContextMenuHandlers]\n"
    "[HKCR\\Korvex\\shellex\\ContextMenuHandlers\\{B41DB860-64E4-11D2-9906-E49FADC173CA}]\n"
    "@=\"\"\n"
    "[HKCR\\Korvex\\shellex\\ContextMenuHandlers\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}]\n"
    "@=\"\"\n"
    "[HKCR\\Korvex\\shellex\\DropHandler]\n"
    "@=\"{B41DB860-64E4-11D2-9906-E49FADC173CA}\"\n"
    "[HKCR\\Korvex\\shellex\\PropertySheetHandlers]\n"
    "[HKCR\\Korvex\\shellex\\PropertySheetHandlers\\{B41DB860-64E4-11D2-9906-E49FADC173CA}]\n"
    "@=\"\"\n"
    "[HKCR\\Korvex\\shellex\\PropertySheetHandlers\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}]\n"
    "@=\"\"\n";

TEST_F(RegistrationTest, FirstSetupWithDefaultsRegistersEverything) {
    put_extension_dlls();
    ASSERT_TRUE(apply_integration(default_integration_settings(), environment_));
    EXPECT_EQ(shortcut_updates_, 1);
    // Shell extension and capabilities, then the ProgIDs.
    EXPECT_EQ(notifications_, 2);

    EXPECT_EQ(exported(kClasses, u".kub"),
              "[HKCR\\.kub]\n@=\"Korvex\"\n"
              "[HKCR\\.kub\\ShellNew]\n\"FileName\"=\"<folder>kubnew.dat\"\n");
    EXPECT_EQ(exported(kClasses, u".zip"),
              "[HKCR\\.zip]\n@=\"Korvex.ZIP\"\n"
              "[HKCR\\.zip\\ShellNew]\n\"FileName\"=\"<folder>zipnew.dat\"\n");
    EXPECT_EQ(exported(kClasses, u".tbz"), "[HKCR\\.tbz]\n@=\"Korvex\"\n");
    EXPECT_EQ(exported(kClasses, u".k29"), "[HKCR\\.k29]\n@=\"Korvex\"\n");
    EXPECT_EQ(exported(kClasses, u".k30"), "");
    // The extension did not exist: nothing to bring back but its absence.
    EXPECT_EQ(exported(kUser, u"Software\\Korvex\\Setup\\.kub"),
              "[HKCU\\Software\\Korvex\\Setup\\.kub]\n\"Content\"=\"\"\n"
              "\"Exist\"=dword:00000000\n\"ShellNew\"=\"\"\n\"Type\"=\"\"\n");

    EXPECT_EQ(exported(kClasses, u"Korvex"), kRegisteredProgId);
    EXPECT_EQ(exported(kClasses, u"Korvex.REV"),
              "[HKCR\\Korvex.REV]\n@=\"KUB 恢复卷\"\n"
              "[HKCR\\Korvex.REV\\DefaultIcon]\n@=\"<folder>Korvex.exe,1\"\n"
              "[HKCR\\Korvex.REV\\shell]\n[HKCR\\Korvex.REV\\shell\\open]\n"
              "[HKCR\\Korvex.REV\\shell\\open\\command]\n"
              "@=\"\\\"<folder>Korvex.exe\\\" \\\"%1\\\"\"\n");
    EXPECT_EQ(exported(kClasses, u".rev"), "[HKCR\\.rev]\n@=\"Korvex.REV\"\n");

    EXPECT_EQ(exported(kClasses, u"CLSID\\{B41DB860-64E4-11D2-9906-E49FADC173CA}"),
              std::string("[HKCR\\CLSID\\") + kClass64 + "]\n@=\"Korvex\"\n[HKCR\\CLSID\\" +
                  kClass64 + "\\InProcServer32]\n@=\"<folder>kubext.dll\"\n"
                  "\"ThreadingModel\"=\"Apartment\"\n");
    // The 32-bit class lies in the 32-bit view only.
    EXPECT_EQ(exported(kClasses, u"CLSID\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}"), "");
    EXPECT_EQ(exported(kClasses, u"Wow6432Node\\CLSID\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}"),
              std::string("[HKCR\\Wow6432Node\\CLSID\\") + kClass32 +
                  "]\n@=\"Korvex\"\n[HKCR\\Wow6432Node\\CLSID\\" + kClass32 +
                  "\\InProcServer32]\n@=\"<folder>kubext32.dll\"\n"
                  "\"ThreadingModel\"=\"Apartment\"\n");
    EXPECT_EQ(exported(kClasses, u"*\\shellex\\ContextMenuHandlers\\Korvex"),
              std::string("[HKCR\\*\\shellex\\ContextMenuHandlers\\Korvex]\n@=\"") + kClass64 +
                  "\"\n");
    EXPECT_EQ(exported(kClasses, u"Drive\\shellex\\DragDropHandlers\\Korvex32"),
              std::string("[HKCR\\Drive\\shellex\\DragDropHandlers\\Korvex32]\n@=\"") + kClass32 +
                  "\"\n");
    EXPECT_EQ(exported(kClasses, u"exefile\\shellex\\PropertySheetHandlers\\" u"{B41DB860-64E4-11D2-9906-E49FADC173CA}"),
              std::string("[HKCR\\exefile\\shellex\\PropertySheetHandlers\\") + kClass64 +
                  "]\n@=\"\"\n");

    std::u16string approved;
    EXPECT_TRUE(read_registry_string(kMachine, kApprovedKey,
                                     u"{B41DB860-8EE4-11D2-9906-E49FADC173CA}", approved, u"", 80));
    EXPECT_TRUE(approved == u"Korvex shell extension");

    EXPECT_EQ(exported(kMachine, kAppPathsKey),
              "[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Korvex.exe]\n"
              "@=\"<folder>Korvex.exe\"\n\"Path\"=\"<dir>\"\n");
    EXPECT_EQ(exported(kMachine, u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
                                 u"App Paths\\Korvex.exe"),
              "[HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App "
              "Paths\\Korvex.exe]\n"
              "@=\"<folder>Korvex.exe\"\n\"Path\"=\"<dir>\"\n");
    std::u16string registered;
    EXPECT_TRUE(read_registry_string(kMachine, kRegisteredApplicationsKey, u"Korvex", registered,
                                     u"", 80));
    EXPECT_TRUE(registered == u"Software\\Korvex\\Capabilities");

    // The templates, byte for byte.
    EXPECT_EQ(file_bytes(u"zipnew.dat"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    EXPECT_EQ(file_bytes(u"kubnew.dat"),
              std::string("Kub!\x1A\x07\x00\xCF\x90\x73\x00\x00\x0D\x00", 14) +
                  std::string(6, '\0'));
}

TEST_F(RegistrationTest, CapabilitiesListEveryExtensionWhateverIsAssociated) {
    ASSERT_TRUE(apply_integration(only(kKubSlot, true), environment_));
    EXPECT_EQ(exported(kMachine, kMachineSettingsKey),
              "[HKLM\\Software\\Korvex]\n\"exe64\"=\"<folder>Korvex.exe\"\n"
              "[HKLM\\Software\\Korvex\\Capabilities]\n\"ApplicationDescription\"=\"Korvex\"\n"
              "[HKLM\\Software\\Korvex\\Capabilities\\FileAssociations]\n"
              "\".7z\"=\"Korvex\"\n\".ace\"=\"Korvex\"\n\".arj\"=\"Korvex\"\n\".bz\"=\"Korvex\"\n"
              "\".bz2\"=\"Korvex\"\n\".cab\"=\"Korvex\"\n\".gz\"=\"Korvex\"\n\".iso\"=\"Korvex\"\n"
              "\".jar\"=\"Korvex\"\n\".kub\"=\"Korvex\"\n\".lha\"=\"Korvex\"\n\".lzh\"=\"Korvex\"\n"
              "\".tar\"=\"Korvex\"\n\".taz\"=\"Korvex\"\n\".tbz\"=\"Korvex\"\n\".tbz2\"=\"Korvex\"\n"
              "\".tgz\"=\"Korvex\"\n\".txz\"=\"Korvex\"\n\".uu\"=\"Korvex\"\n\".uue\"=\"Korvex\"\n"
              "\".xxe\"=\"Korvex\"\n\".xz\"=\"Korvex\"\n\".z\"=\"Korvex\"\n\".zip\"=\"Korvex.ZIP\"\n");
    // Only the chosen format is associated.
    EXPECT_EQ(exported(kClasses, u".zip"), "");
    EXPECT_EQ(exported(kClasses, u".7z"), "");
}

TEST_F(RegistrationTest, SecondAssociationKeepsTheFirstSavedStateAndRestoreBringsItBack) {
    ASSERT_EQ(write_registry_string(kClasses, u".zip", u"", u"WinArc.Zip"), os::kRegOk);
    write_registry_string(kClasses, u".zip", u"Content Type", u"application/zip");
    write_registry_string(kClasses, u".zip\\ShellNew", u"NullFile", u"");
    write_registry_string(kClasses, u".zip\\OpenWithList\\WinArc.exe", u"", u"");

    associate_extension(u".zip", FormatKind::kZip, true, environment_);
    const char kSaved[] =
        "[HKCU\\Software\\Korvex\\Setup\\.zip]\n\"Content\"=\"application/zip\"\n"
        "\"Exist\"=dword:00000001\n\"ShellNew\"=\"*\"\n\"Type\"=\"WinArc.Zip\"\n";
    EXPECT_EQ(exported(kUser, u"Software\\Korvex\\Setup\\.zip"), kSaved);
    const char kAssociated[] =
        "[HKCR\\.zip]\n@=\"Korvex.ZIP\"\n[HKCR\\.zip\\OpenWithList]\n"
        "[HKCR\\.zip\\OpenWithList\\WinArc.exe]\n@=\"\"\n"
        "[HKCR\\.zip\\ShellNew]\n\"FileName\"=\"<folder>zipnew.dat\"\n";
    EXPECT_EQ(exported(kClasses, u".zip"), kAssociated);

    // Setup run again: the extension is ours now, so the saved state stays the first one.
    associate_extension(u".zip", FormatKind::kZip, true, environment_);
    EXPECT_EQ(exported(kUser, u"Software\\Korvex\\Setup\\.zip"), kSaved);
    EXPECT_EQ(exported(kClasses, u".zip"), kAssociated);

    restore_extension(u".zip", FormatKind::kZip);
    EXPECT_EQ(exported(kClasses, u".zip"),
              "[HKCR\\.zip]\n@=\"WinArc.Zip\"\n\"Content Type\"=\"application/zip\"\n"
              "[HKCR\\.zip\\OpenWithList]\n[HKCR\\.zip\\OpenWithList\\WinArc.exe]\n@=\"\"\n"
              "[HKCR\\.zip\\ShellNew]\n\"NullFile\"=\"\"\n");
    // The saved state stays for uninstall to remove with the settings.
    EXPECT_EQ(exported(kUser, u"Software\\Korvex\\Setup\\.zip"), kSaved);
}

TEST_F(RegistrationTest, PreviousShellNewFileComesBackAndKubVolumesFollowThePreviousType) {
    write_registry_string(kClasses, u".kub", u"", u"OldArc");
    write_registry_string(kClasses, u".kub", u"Content Type", u"application/x-kub");
    write_registry_string(kClasses, u".kub\\ShellNew", u"FileName", u"C:\\old\\empty.kub");

    associate_extension(u".kub", FormatKind::kKub, true, environment_);
    EXPECT_EQ(exported(kClasses, u".k00"), "[HKCR\\.k00]\n@=\"Korvex\"\n");
    EXPECT_EQ(exported(kClasses, u".k30"), "");

    restore_extension(u".kub", FormatKind::kKub);
    EXPECT_EQ(exported(kClasses, u".kub"),
              "[HKCR\\.kub]\n@=\"OldArc\"\n\"Content Type\"=\"application/x-kub\"\n"
              "[HKCR\\.kub\\ShellNew]\n\"FileName\"=\"C:\\\\old\\\\empty.kub\"\n");
    // Every old-style volume extension up to .k99 gets the previous type.
    for (unsigned number : {0u, 29u, 30u, 99u}) {
        const std::u16string volume = old_volume(number);
        EXPECT_EQ(exported(kClasses, volume), "[HKCR\\" + test::to_utf8(volume) +
                                                  "]\n@=\"OldArc\"\n"
                                                  "\"Content Type\"=\"application/x-kub\"\n");
    }
}

TEST_F(RegistrationTest, ExtensionThatDidNotExistIsRemovedUnlessItGainedOtherSubkeys) {
    associate_extension(u".kub", FormatKind::kKub, true, environment_);
    associate_extension(u".zip", FormatKind::kZip, true, environment_);
    // Another program added a subkey of its own to .zip meanwhile.
    write_registry_string(kClasses, u".zip\\OpenWithProgids", u"Other.Zip", u"");

    restore_extension(u".kub", FormatKind::kKub);
    EXPECT_EQ(exported(kClasses, u".kub"), "");
    EXPECT_EQ(exported(kClasses, u".k00"), "");
    EXPECT_EQ(exported(kClasses, u".k29"), "");

    restore_extension(u".zip", FormatKind::kZip);
    EXPECT_EQ(exported(kClasses, u".zip"),
              "[HKCR\\.zip]\n@=\"\"\n[HKCR\\.zip\\OpenWithProgids]\n\"Other.Zip\"=\"\"\n");
}

TEST_F(RegistrationTest, RestoreLeavesAnExtensionAnotherProgramTookOver) {
    associate_extension(u".arj", FormatKind::kOther, true, environment_);
    EXPECT_EQ(exported(kClasses, u".arj"), "[HKCR\\.arj]\n@=\"Korvex\"\n");
    write_registry_string(kClasses, u".arj", u"", u"OtherArc.Arj");
    restore_extension(u".arj", FormatKind::kOther);
    EXPECT_EQ(exported(kClasses, u".arj"), "[HKCR\\.arj]\n@=\"OtherArc.Arj\"\n");
}

TEST_F(RegistrationTest, SavedTypeNamingOurProgIdRestoresToEmpty) {
    write_registry_string(kClasses, u".cab", u"", u"Korvex");
    write_setting_number(u"Setup\\.cab", u"Exist", 1);
    write_setting_string(u"Setup\\.cab", u"Type", u"korvex.zip");
    write_setting_string(u"Setup\\.cab", u"Content", u"");
    restore_extension(u".cab", FormatKind::kOther);
    EXPECT_EQ(exported(kClasses, u".cab"), "[HKCR\\.cab]\n@=\"\"\n");
}

TEST_F(RegistrationTest, ShellIntegrationOffUnregistersBothClassesAndWritesNoTemplates) {
    put_extension_dlls();
    ASSERT_TRUE(apply_integration(default_integration_settings(), environment_));
    ASSERT_TRUE(delete_file(folder_ / u"kubnew.dat"));
    ASSERT_TRUE(delete_file(folder_ / u"zipnew.dat"));
    delete_registry_tree(kClasses, u".kub\\ShellNew");
    delete_registry_tree(kClasses, u".zip\\ShellNew");

    IntegrationSettings settings = default_integration_settings();
    settings.shell_ext = false;
    ASSERT_TRUE(apply_integration(settings, environment_));

    EXPECT_EQ(exported(kClasses, u"CLSID\\{B41DB860-64E4-11D2-9906-E49FADC173CA}"), "");
    EXPECT_EQ(exported(kClasses, u"*\\shellex\\ContextMenuHandlers\\Korvex"), "");
    EXPECT_EQ(exported(kClasses, u"*\\shellex\\ContextMenuHandlers\\Korvex32"), "");
    EXPECT_EQ(exported(kClasses, u"Folder\\shellex\\DragDropHandlers\\Korvex"), "");
    EXPECT_EQ(exported(kClasses, u"Drive\\shellex\\DragDropHandlers\\Korvex32"), "");
    EXPECT_EQ(exported(kClasses, u"exefile\\shellex\\PropertySheetHandlers\\" u"{B41DB860-8EE4-11D2-9906-E49FADC173CA}"),
              "");
    // The handler keys go; the keys above them stay, as does the 32-bit class key, which
    // unregistration looks for in the default view only.
    EXPECT_EQ(exported(kClasses, u"Korvex"),
              "[HKCR\\Korvex]\n@=\"Korvex 压缩文件\"\n"
              "[HKCR\\Korvex\\DefaultIcon]\n@=\"<folder>Korvex.exe,0\"\n"
              "[HKCR\\Korvex\\shell]\n[HKCR\\Korvex\\shell\\open]\n"
              "[HKCR\\Korvex\\shell\\open\\command]\n"
              "@=\"\\\"<folder>Korvex.exe\\\" \\\"%1\\\"\"\n"
              "[HKCR\\Korvex\\shellex]\n[HKCR\\Korvex\\shellex\\ContextMenuHandlers]\n"
              "[HKCR\\Korvex\\shellex\\PropertySheetHandlers]\n");
    std::u16string approved;
    EXPECT_FALSE(read_registry_string(kMachine, kApprovedKey,
                                      u"{B41DB860-64E4-11D2-9906-E49FADC173CA}", approved, u"", 80));
    EXPECT_EQ(exported(kClasses, u".kub"), "[HKCR\\.kub]\n@=\"Korvex\"\n");
    EXPECT_EQ(exported(kClasses, u".zip"), "[HKCR\\.zip]\n@=\"Korvex.ZIP\"\n");
    EXPECT_FALSE(file_exists(folder_ / u"kubnew.dat"));
    EXPECT_FALSE(file_exists(folder_ / u"zipnew.dat"));
}

TEST_F(RegistrationTest, MissingExtensionFileSkipsOnlyItsClassKey) {
    ASSERT_TRUE(folder_.write_file(u"kubext.dll", "MZ"));
    update_shell_extension(only(kKubSlot, true), false, environment_);
    EXPECT_NE(exported(kClasses, u"CLSID\\{B41DB860-64E4-11D2-9906-E49FADC173CA}"), "");
    EXPECT_EQ(exported(kClasses, u"Wow6432Node\\CLSID\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}"),
              "");
    EXPECT_EQ(exported(kClasses, u"Folder\\shellex\\ContextMenuHandlers\\Korvex32"),
              std::string("[HKCR\\Folder\\shellex\\ContextMenuHandlers\\Korvex32]\n@=\"") +
                  kClass32 + "\"\n");
}

TEST_F(RegistrationTest, UninstallRemovesCapabilitiesAndTheMachineSettings) {
    put_extension_dlls();
    ASSERT_TRUE(apply_integration(default_integration_settings(), environment_));
    IntegrationSettings cleared;
    update_shell_extension(cleared, true, environment_);
    update_associations(cleared, environment_);
    EXPECT_EQ(exported(kMachine, kMachineSettingsKey), "");
    std::u16string registered;
    EXPECT_FALSE(read_registry_string(kMachine, kRegisteredApplicationsKey, u"Korvex", registered,
                                      u"", 80));
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot)
        for (auto extension : slot_extensions(slot))
            EXPECT_EQ(exported(kClasses, extension), "") << test::to_utf8(extension);
}

TEST_F(RegistrationTest, InstalledProgramEntry) {
    write_installed_program(environment_);
    EXPECT_EQ(exported(kMachine, kUninstallKey),
              "[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvex archiver]\n"
              "\"DisplayIcon\"=\"<folder>Korvex.exe\"\n"
              "\"DisplayName\"=\"Korvex 5.11 beta 1 (64-位)\"\n"
              "\"DisplayVersion\"=\"5.11.1\"\n"
              "\"InstallLocation\"=\"<folder>\"\n"
              "\"Language\"=dword:00000000\n"
              "\"NoModify\"=dword:00000001\n"
              "\"NoRepair\"=dword:00000001\n"
              "\"Publisher\"=\"Korvex Software\"\n"
              "\"UninstallString\"=\"<folder>uninstall.exe\"\n"
              "\"VersionMajor\"=dword:00000005\n"
              "\"VersionMinor\"=dword:0000000b\n");
}

#if !defined(_WIN32)
// The system answers "access denied" to a program without administrator rights; the native
// registry is told to for one key.
TEST_F(RegistrationTest, AccessDeniedOnTheApplicationPathStopsEverything) {
    ASSERT_EQ(write_registry_string(kMachine, u"Software\\Microsoft\\Windows\\CurrentVersion", u"",
                                    u""),
              os::kRegOk);
    ASSERT_TRUE(os::set_registry_key_read_only(
        kMachine, u"Software\\Microsoft\\Windows\\CurrentVersion", true));
    EXPECT_FALSE(apply_integration(default_integration_settings(), environment_));
    EXPECT_EQ(exported(kClasses, u".kub"), "");
    EXPECT_EQ(exported(kClasses, u"Korvex"), "");
    EXPECT_EQ(exported(kMachine, kMachineSettingsKey), "");
    EXPECT_EQ(shortcut_updates_, 0);
    EXPECT_EQ(notifications_, 0);
}

TEST_F(RegistrationTest, AccessDeniedOnTheProgIdSkipsTheShortcuts) {
    ASSERT_EQ(write_registry_string(kClasses, u"Korvex", u"", u"old"), os::kRegOk);
    ASSERT_TRUE(os::set_registry_key_read_only(kClasses, u"Korvex", true));
    EXPECT_FALSE(apply_integration(default_integration_settings(), environment_));
    EXPECT_EQ(exported(kClasses, u".kub"),
              "[HKCR\\.kub]\n@=\"Korvex\"\n"
              "[HKCR\\.kub\\ShellNew]\n\"FileName\"=\"<folder>kubnew.dat\"\n");
    // Nothing of the ProgIDs after the refused one.
    EXPECT_EQ(exported(kClasses, u"Korvex.ZIP\\shell"), "");
    EXPECT_EQ(exported(kClasses, u".rev"), "");
    EXPECT_EQ(shortcut_updates_, 0);
}
#endif

TEST_F(RegistrationTest, ExistingTemplateAndUserIconAreKept) {
    ASSERT_TRUE(folder_.write_file(u"kubnew.dat", "mine"));
    write_registry_string(kClasses, u"Korvex.ZIP\\DefaultIcon", u"", u"C:\\icons\\zip.ico");
    ASSERT_TRUE(apply_integration(default_integration_settings(), environment_));
    EXPECT_EQ(file_bytes(u"kubnew.dat"), "mine");
    std::u16string icon;
    read_registry_string(kClasses, u"Korvex.ZIP\\DefaultIcon", u"", icon, u"", 2048);
    EXPECT_TRUE(icon == u"C:\\icons\\zip.ico");
}

TEST(NewFileTemplates, KubHeaderChecksumCoversTheHeaderAfterIt) {
    // The stored 16-bit checksum is the low half of the CRC-32 of the header from its type on.
    const auto bytes = template_bytes(TemplateKind::kKub);
    ASSERT_EQ(bytes.size(), 20u);
    const std::uint32_t crc = crc32(bytes.data() + 9, bytes.size() - 9);
    EXPECT_EQ(crc & 0xFFFF, 0x90CFu);
}

}  // namespace
}  // namespace kub::setup
