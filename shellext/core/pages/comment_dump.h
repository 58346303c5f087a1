#pragma once
// The comment of a KUB archive as the archiver itself reads it: the archiver writes it to a
// temporary file as UTF-16, the extension waits, reads and deletes that file.
#include <optional>
#include <string>
#include <string_view>

#include "shellext/core/commands/launch_record.h"

namespace kub {

inline constexpr std::u16string_view kCommentDumpPrefix = u"Kub$CS";
// At most this many bytes of the dump are read (the rest of a 65,536-byte buffer terminates it).
inline constexpr std::size_t kMaxCommentDumpBytes = 65534;

// The dump's text, units as written (a leading byte order mark included); nothing when no name
// could be made, the archiver did not start or the dump file cannot be read.
std::optional<std::u16string> run_comment_dump(std::u16string_view archive,
                                               const ArchiverLauncher& launch);

}  // namespace kub
