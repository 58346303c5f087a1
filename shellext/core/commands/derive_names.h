#pragma once
// The two names the menu shows and the commands use: the folder an archive is extracted into and
// the default name of a new archive.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/files/path_limits.h"

namespace kub {

// The folder name used when the archive's name leaves nothing usable (".kub", "...part1.kub").
inline constexpr std::u16string_view kFallbackFolderName = u"Archive";

// The archive's name without its extension, and without a volume part (".partN" of KUB and EXE
// volumes) or an inner ".tar": arc.part1.kub and arc.tar.gz both give arc. Dots and spaces before
// a cut are removed (arc..kub gives arc); a name left empty or made only of dots and spaces
// gives kFallbackFolderName, so the folder always lies inside the one extracted into.
std::u16string DeriveFolderName(std::u16string_view path);

// The default archive name for a selection whose first path is `first` and which holds `count`
// paths: the first name without extension (a single folder keeps its dots), or for several paths
// the name of the folder holding them, with ".kub" or ".zip" after the profile's "UseKUB".
// `base_folder` (may be empty) is put in front of a name taken from the first path. Enclosed in
// double quotes when it holds a space; at most capacity - 1 units.
std::u16string DeriveArchiveName(std::u16string_view first, std::size_t count,
                                 std::u16string_view base_folder, std::int32_t selector,
                                 std::size_t capacity = kPathBufferSize);

}  // namespace kub
