#pragma once
// Names of the volumes of a multi-volume archive.
#include <cstddef>
#include <string>

#include "common/files/path_limits.h"

namespace kub {

// Rewrites the name of one volume into the name of the next, within a buffer of `size` units.
// Old style counts in the extension (arc.kub, arc.k00, arc.k01, ... arc.k99, arc.l00); new style
// counts in the name (arc.part1.kub, arc.part2.kub, ... arc.part10.kub). An "exe" or "sfx"
// extension (the first volume made self-extracting) and a missing one become "kub".
// False when no next name could be made; the analysis then sees the name unchanged.
bool AdvanceVolumeName(std::u16string& name, std::size_t size, bool old_style);

}  // namespace kub
