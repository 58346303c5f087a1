#pragma once
// The setup program's switches: found anywhere in the command line (the program's own path
// included) after "/" or "-", compared case-insensitively over a fixed number of leading
// characters; and the silent switch of the self-extracting installer's "sfxcmd" variable.
#include <cstddef>
#include <string_view>
#include <vector>

namespace kub::setup {

// What the scan asks to be done at once, in the order the switches came.
enum class SwitchAction { kWait, kWarning };

struct CommandLine {
    bool setup = false;
    bool msi = false;
    bool silent = false;
    bool no_explorer = false;
    // Switches seen other than the silent one.
    unsigned counted_switches = 0;
    std::vector<SwitchAction> actions;
};

enum class ProgramMode { kSetup, kUninstall, kNone };

// "sfxcmd" is read up to this many characters.
inline constexpr std::size_t kSfxCommandSize = 1024;
// The pause "wait" asks for.
inline constexpr unsigned kWaitMilliseconds = 2000;

CommandLine scan_command_line(std::u16string_view command_line);

// True when the installer's command line holds "-S" or "/S" (either case) followed by a
// character that is not a letter, after its own quoted path.
bool sfx_command_is_silent(std::u16string_view sfx_command);

// Setup when asked for; uninstall when no switch but the silent one was given; else nothing.
ProgramMode decide_mode(const CommandLine& command_line);

}  // namespace kub::setup
