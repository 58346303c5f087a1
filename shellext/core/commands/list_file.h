#pragma once
// Long selections reach the archiver through a list file instead of the command line, so the
// line stays short whatever the selection size.
#include <string>

#include "common/text/string_list.h"

namespace kub {

// A selection of this many paths, or of this many units of path text (a terminator counted
// per path), always goes through a list file.
inline constexpr std::size_t kListFilePathCount = 100;
inline constexpr std::size_t kListFileUnits = 512;
inline constexpr std::u16string_view kListFilePrefix = u"Kub$LS";

struct ListFileResult {
    bool created = false;
    std::u16string path;
};

// Writes the selection (without its last path when `leave_out_last`) to a new temporary file:
// UTF-16LE with byte order mark, each path followed by CR LF. Not created for short selections,
// or when the file cannot be made or written completely (the names then go on the command line).
ListFileResult ListFile(StringList& paths, bool leave_out_last);

}  // namespace kub
