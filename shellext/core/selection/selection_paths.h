#pragma once
// Reading the captured selection back out of its StringList.
#include <cstddef>
#include <string>
#include <vector>

#include "common/text/string_list.h"

namespace kub {

// Every path in list order; the list's read position ends behind the last one.
std::vector<std::u16string> selection_paths(StringList& paths);

// The first path, or empty.
std::u16string first_selected_path(StringList& paths);

// UTF-16 units the list holds, one terminator per path included.
std::size_t selection_units(StringList& paths);

}  // namespace kub
