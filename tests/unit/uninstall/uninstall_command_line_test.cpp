// The setup program's switches, the installer's silent switch and the mode they select.
#include <gtest/gtest.h>

#include "uninstall/core/command_line.h"

namespace kub::setup {
namespace {

struct ModeCase {
    const char16_t* command_line;
    ProgramMode mode;
    bool silent;
};

TEST(CommandLine, ModeAndSilentFlag) {
    const ModeCase cases[] = {
        {u"C:\\Korvex\\uninstall.exe", ProgramMode::kUninstall, false},
        {u"\"C:\\Korvex\\uninstall.exe\"", ProgramMode::kUninstall, false},
        {u"uninstall.exe /S", ProgramMode::kUninstall, true},
        {u"uninstall.exe -s", ProgramMode::kUninstall, true},
        {u"uninstall.exe /S /s", ProgramMode::kUninstall, true},
        {u"uninstall.exe /setup /S", ProgramMode::kSetup, true},
        {u"uninstall.exe /SETUP", ProgramMode::kSetup, false},
        // Only five characters are compared.
        {u"uninstall.exe -setupnow", ProgramMode::kSetup, false},
        {u"uninstall.exe /setu", ProgramMode::kNone, false},
        // "S" followed by a letter is another switch: no uninstall.
        {u"uninstall.exe /Sx", ProgramMode::kNone, false},
        {u"uninstall.exe /S1", ProgramMode::kUninstall, true},
        {u"uninstall.exe /S/setup", ProgramMode::kSetup, true},
        {u"uninstall.exe /wait", ProgramMode::kNone, false},
        {u"uninstall.exe /noexp", ProgramMode::kNone, false},
        {u"uninstall.exe /warning", ProgramMode::kNone, false},
        {u"uninstall.exe /other", ProgramMode::kNone, false},
        // A dash or slash inside the program's own path starts no switch.
        {u"C:\\my-tools\\uninstall.exe", ProgramMode::kUninstall, false},
        {u"C:\\my-setup\\uninstall.exe", ProgramMode::kUninstall, false},
        {u"C:\\a-s\\uninstall.exe", ProgramMode::kUninstall, false},
        {u"\"C:\\my -setup\\uninstall.exe\"", ProgramMode::kUninstall, false},
        {u"\"C:\\my -setup\\uninstall.exe\" /setup", ProgramMode::kSetup, false},
        {u"C:/a-s/uninstall.exe\t-S", ProgramMode::kUninstall, true},
        {u"\"C:\\unclosed -setup", ProgramMode::kUninstall, false},
    };
    for (const ModeCase& c : cases) {
        const CommandLine scanned = scan_command_line(c.command_line);
        EXPECT_EQ(decide_mode(scanned), c.mode) << testing::PrintToString(std::u16string(c.command_line));
        EXPECT_EQ(scanned.silent, c.silent) << testing::PrintToString(std::u16string(c.command_line));
    }
}

TEST(CommandLine, FlagsAndActionsInOrder) {
    const CommandLine scanned =
        scan_command_line(u"uninstall.exe /warning -WAIT /msi /NoExplorer /wait /xyz");
    EXPECT_TRUE(scanned.msi);
    EXPECT_TRUE(scanned.no_explorer);
    EXPECT_FALSE(scanned.setup);
    EXPECT_FALSE(scanned.silent);
    EXPECT_EQ(scanned.counted_switches, 6u);
    const std::vector<SwitchAction> expected = {SwitchAction::kWarning, SwitchAction::kWait,
                                                SwitchAction::kWait};
    EXPECT_EQ(scanned.actions, expected);

    // "msi" is compared over three characters, "warning" over seven: "warn" is neither.
    const CommandLine short_forms = scan_command_line(u"x /msix /warn /wai");
    EXPECT_TRUE(short_forms.msi);
    EXPECT_TRUE(short_forms.actions.empty());
    EXPECT_EQ(short_forms.counted_switches, 3u);
}

TEST(CommandLine, InstallerSilentSwitch) {
    EXPECT_TRUE(sfx_command_is_silent(u"\"C:\\dl\\setup.exe\" -s"));
    EXPECT_TRUE(sfx_command_is_silent(u"\"C:\\dl\\setup.exe\" /S /D=C:\\x"));
    EXPECT_TRUE(sfx_command_is_silent(u"setup.exe /S"));
    // Inside the quoted path it does not count.
    EXPECT_FALSE(sfx_command_is_silent(u"\"C:\\a -s\\setup.exe\""));
    EXPECT_FALSE(sfx_command_is_silent(u"\"C:\\a\\setup.exe\" /Silent"));
    EXPECT_FALSE(sfx_command_is_silent(u"\"C:\\a\\setup.exe\" /x"));
    EXPECT_FALSE(sfx_command_is_silent(u""));
    // An unclosed quote swallows everything.
    EXPECT_FALSE(sfx_command_is_silent(u"\"C:\\a\\setup.exe /S"));
    // Read up to 1024 characters only.
    std::u16string long_command(1021, u'x');
    EXPECT_TRUE(sfx_command_is_silent(long_command + u" /S"));
    long_command += u"x";
    EXPECT_FALSE(sfx_command_is_silent(long_command + u" /S"));
}

}  // namespace
}  // namespace kub::setup
