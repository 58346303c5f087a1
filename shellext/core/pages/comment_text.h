#pragma once
// The text of an archive's comment as the comment page shows it: read the way each format keeps
// it, ended at the first Ctrl-Z, with bare LFs turned into CR LF for the multi-line edit box.
#include <cstddef>
#include <string>
#include <string_view>

#include "shellext/core/commands/launch_record.h"

namespace kub {

// The edit box is given at most this many units of a comment.
inline constexpr std::size_t kMaxShownCommentUnits = 32000;

// KUB comments come from the archiver's comment dump (started through `launch`), ZIP comments
// from the end record in the ANSI code page, every other format from its reader. Empty when the
// file is no archive or has no comment that can be read.
std::u16string archive_comment_text(std::u16string_view path, const ArchiverLauncher& launch);

// Ends the text before its first U+001A and turns every LF not preceded by CR into CR LF.
std::u16string tidy_comment_text(std::u16string_view text);

// What the edit box gets: at most kMaxShownCommentUnits units, without one leading byte order
// mark (either byte order; the archiver writes one in front of its dump).
std::u16string_view shown_comment_text(std::u16string_view text);

}  // namespace kub
