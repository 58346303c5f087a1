#pragma once
// The archiver start of each menu command: its parameters and working folder, from the selection
// and the command's kind.
#include <cstdint>
#include <string>
#include <string_view>

#include "shellext/core/commands/launch_record.h"
#include "shellext/core/selection/selection_state.h"

namespace kub {

// Room for the switches and destination of any command, on top of the selection's own share.
inline constexpr std::size_t kCommandLineExtra = 4224;
inline constexpr std::u16string_view kMailFolderPrefix = u"Kub$ML";

// The extraction line: `command`, the archive names of all but the last path ("-an=" each, or
// "-anf=" with a list file), "-ad " for separate folders, "-- ", the last path as the archive
// argument, then `destination`.
std::u16string extraction_line(SelectionState& selection, std::u16string_view command,
                               bool separate_folders, std::u16string_view destination,
                               std::u16string* list_file);

// The start of command `kind` (a fixed kind or 11 + k for the k-th menu profile, which becomes
// an add command) for a complete selection. `drop_folder` is DropFolder. False when the add
// line or the e-mail folder cannot be made; an empty selection gives a record with no file.
bool build_menu_command(SelectionState& selection, std::int32_t kind, std::int32_t profile_count,
                        std::u16string_view drop_folder, LaunchRecord& out);

}  // namespace kub
