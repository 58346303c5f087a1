#pragma once
// Which commands a selection offers, decided from the names alone and a quick look inside ".exe"
// files: every examined path an archive (and not a folder) offers extraction; non-archives,
// several paths, ".iso" images and a single self-extracting executable offer adding, except in
// right-drag menus.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/os/os.h"
#include "shellext/core/selection/selection_state.h"

namespace kub {

class ArchiveAnalysis;

// Once this many executables have proved to be self-extracting archives, further ones are taken
// to be so without opening them.
inline constexpr int kMaxOpenedSelfExtractors = 9;

// The questions the analysis asks about a path; tests replace them to count and steer.
struct SelectionProbe {
    std::function<os::DriveType(std::u16string_view root)> drive_type;
    // A quick content analysis finds an archive in the file.
    std::function<bool(std::u16string_view path)> is_self_extracting;
    // The name alone marks an archive (strictly: "exe", "sfx", "000", "001" do not).
    std::function<bool(std::u16string_view path)> is_archive_name;
    std::function<bool(std::u16string_view path)> is_folder;
};

// The system's answers, the archive questions going to `analysis`.
SelectionProbe system_selection_probe(ArchiveAnalysis& analysis);

// Fetches paths 0, 1, ... of a selection of `count` paths into SelectedPaths and sets the four
// offer flags. The loop stops at the first non-archive after the first path, so a large selection
// of ordinary files costs two fetches. A non-empty `drop_folder` (a right-drag menu) clears
// OfferAdd. False for an empty selection, or when memory runs out (SelectedPaths then empty).
bool analyse_paths(SelectionState& selection, std::size_t count,
                   const std::function<std::u16string(std::size_t index)>& fetch,
                   std::u16string_view drop_folder, const SelectionProbe& probe);

}  // namespace kub
