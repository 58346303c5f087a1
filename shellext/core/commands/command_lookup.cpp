#include "shellext/core/commands/command_lookup.h"

#include "common/text/bounded_string.h"
#include "common/text/encoding.h"
#include "common/language/lang_string.h"
#include "shellext/core/commands/command_kind.h"
#include "shellext/core/commands/command_table.h"

namespace kub {

namespace {

std::optional<std::u16string> text_of(const RecordedCommands& commands, std::uint32_t offset,
                                      CommandTextType type) {
    if (offset >= static_cast<std::uint32_t>(commands.table.count)) return std::nullopt;
    const std::int32_t kind = commands.table.kinds[offset];
    if (type == CommandTextType::help) {
        const unsigned id = command_help_id(kind, commands.profile_count);
        return id == 0 ? std::u16string() : std::u16string(LangString(id));
    }
    const std::string verb = command_verb(kind, commands.profile_count);
    return std::u16string(verb.begin(), verb.end());
}

}  // namespace

std::optional<std::u16string> command_text(std::uint32_t offset, CommandTextType type) {
    return text_of(CommandTable.get(), offset, type);
}

std::optional<std::uint32_t> find_command_by_verb(std::string_view verb, std::size_t capacity) {
    const RecordedCommands commands = CommandTable.get();
    for (std::uint32_t offset = 0; offset < static_cast<std::uint32_t>(commands.table.count);
         ++offset) {
        const std::optional<std::u16string> text = text_of(commands, offset, CommandTextType::verb);
        if (!text) return std::nullopt;
        std::string ansi;
        wide_to_ansi(*text, ansi);
        std::string bounded;
        copy_bounded(bounded, ansi, capacity);
        if (bounded == verb) return offset;
    }
    return std::nullopt;
}

}  // namespace kub
