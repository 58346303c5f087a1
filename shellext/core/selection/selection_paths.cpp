#include "shellext/core/selection/selection_paths.h"

namespace kub {

std::vector<std::u16string> selection_paths(StringList& paths) {
    std::vector<std::u16string> out;
    out.reserve(paths.size());
    paths.rewind();
    for (std::u16string_view path; paths.next(path);) out.emplace_back(path);
    return out;
}

std::u16string first_selected_path(StringList& paths) {
    paths.rewind();
    std::u16string_view path;
    std::u16string first = paths.next(path) ? std::u16string(path) : std::u16string();
    paths.rewind();
    return first;
}

std::size_t selection_units(StringList& paths) {
    std::size_t units = 0;
    paths.rewind();
    for (std::u16string_view path; paths.next(path);) units += path.size() + 1;
    paths.rewind();
    return units;
}

}  // namespace kub
