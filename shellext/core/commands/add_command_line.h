#pragma once
// The archiver's add line, shared by the add commands of the menu and by drops onto archives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shellext/core/selection/selection_state.h"

namespace kub {

// The switches in front of the archive name take at most this many units.
inline constexpr std::size_t kMaxAddSwitchesLength = 127;
// The switches every add line ends with, up to the archive name.
inline constexpr std::u16string_view kAddSwitchesTail = u" -scul -r0 -iext -- ";

struct AddOptions {
    std::u16string_view archive_name;  // used as it is: quoted only if the name rule quoted it
    std::int32_t selector = -1;        // profile; -1 the default profile, which adds no switch
    bool move = false;                 // "m" instead of "a"
    bool no_date_name = false;         // "-ag- "
    bool email = false;                // "-ieml. "
    std::size_t capacity = 0;          // of the output, terminator included
    std::u16string* list_file = nullptr;  // receives the list file's path when one was made
};

// "a ... -scul -r0 -iext -- <archive> <paths>", the paths (or "@" and a list file for long
// selections) in selection order. False for an empty selection, and for a line that would not
// fit in options.capacity (nothing is then left behind: no list file, `out` untouched).
bool AddCommandLine(SelectionState& selection, std::u16string& out, const AddOptions& options);

// The room a command line has: the selection's units, 7 per path for quotes and switches, and
// `extra` for the rest.
std::size_t command_line_capacity(SelectionState& selection, std::size_t extra);

}  // namespace kub
