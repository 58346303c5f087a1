#include "uninstall/core/command_line.h"

#include <algorithm>

#include "common/os/os.h"

namespace kub::setup {

namespace {

bool is_switch_char(char16_t c) {
    return c == u'/' || c == u'-';
}

bool is_ascii_letter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The switch text begins with the first `length` characters of `name`.
bool starts_with_switch(std::u16string_view text, std::u16string_view name, std::size_t length) {
    if (text.size() < length) return false;
    return os::compare_ignoring_case(text.substr(0, length), name.substr(0, length)) == 0;
}

bool is_silent_switch(std::u16string_view text) {
    if (!starts_with_switch(text, u"S", 1)) return false;
    return text.size() < 2 || !is_ascii_letter(text[1]);
}

// The arguments after the program's own path, which the system puts first: quoted up to its
// closing quote, else up to the first blank. A "-" or "/" in the path is no switch: a program
// in "D:\my-setup\" would otherwise set itself up, and one in "D:\a-s\" uninstall unasked.
std::u16string_view arguments_of(std::u16string_view command_line) {
    std::size_t end = 0;
    if (!command_line.empty() && command_line.front() == u'"') {
        end = command_line.find(u'"', 1);
        end = end == std::u16string_view::npos ? command_line.size() : end + 1;
    } else {
        end = std::min(command_line.find_first_of(u" \t"), command_line.size());
    }
    return command_line.substr(end);
}

}  // namespace

CommandLine scan_command_line(std::u16string_view whole_command_line) {
    CommandLine result;
    const std::u16string_view command_line = arguments_of(whole_command_line);
    for (std::size_t i = 0; i < command_line.size(); ++i) {
        if (!is_switch_char(command_line[i])) continue;
        const std::u16string_view text = command_line.substr(i + 1);
        if (starts_with_switch(text, u"setup", 5)) {
            result.setup = true;
        } else if (starts_with_switch(text, u"msi", 3)) {
            result.msi = true;
        } else if (is_silent_switch(text)) {
            result.silent = true;
            continue;
        } else if (starts_with_switch(text, u"wait", 4)) {
            result.actions.push_back(SwitchAction::kWait);
        } else if (starts_with_switch(text, u"noexplorer", 4)) {
            result.no_explorer = true;
        } else if (starts_with_switch(text, u"warning", 7)) {
            result.actions.push_back(SwitchAction::kWarning);
        }
        ++result.counted_switches;
    }
    return result;
}

bool sfx_command_is_silent(std::u16string_view sfx_command) {
    std::u16string_view text = sfx_command.substr(0, std::min(sfx_command.size(), kSfxCommandSize));
    if (!text.empty() && text.front() == u'"') {
        const std::size_t close = text.find(u'"', 1);
        text = close == std::u16string_view::npos ? std::u16string_view() : text.substr(close + 1);
    }
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (!is_switch_char(text[i]) || (text[i + 1] != u'S' && text[i + 1] != u's')) continue;
        if (i + 2 >= text.size() || !is_ascii_letter(text[i + 2])) return true;
    }
    return false;
}

ProgramMode decide_mode(const CommandLine& command_line) {
    if (command_line.setup) return ProgramMode::kSetup;
    if (command_line.counted_switches == 0) return ProgramMode::kUninstall;
    return ProgramMode::kNone;
}

}  // namespace kub::setup
