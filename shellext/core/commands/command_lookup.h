#pragma once
// The shell's questions about the commands of the last menu: verbs and help texts by command
// offset, and the offset of a verb.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kub {

enum class CommandTextType { verb, help };

// The verb or help text of the command at `offset` in CommandTable; nothing when the offset is
// outside the table.
std::optional<std::u16string> command_text(std::uint32_t offset, CommandTextType type);

// The first offset whose verb, in the ANSI code page and cut to what a buffer of `capacity`
// bytes holds, equals `verb` byte for byte; nothing when none does.
std::optional<std::uint32_t> find_command_by_verb(std::string_view verb,
                                                  std::size_t capacity = 100);

}  // namespace kub
