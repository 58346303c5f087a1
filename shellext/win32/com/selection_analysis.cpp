#include "shellext/win32/com/selection_analysis.h"

#include "formats/archive_analysis.h"
#include "shellext/core/module_state.h"
#include "shellext/core/selection/selection_analysis.h"
#include "shellext/win32/com/selection_capture.h"

namespace kub {

// The file list stays open while the portable analysis fetches paths, so it can stop early
// without reading the rest of a large selection.
bool analyse_selection(SelectionState& selection, IDataObject* data) {
    selection.OfferAdd = selection.OfferExtract = false;
    selection.OfferExtractEach = selection.OfferOpenSfx = false;
    DroppedFileList list(data);
    if (!list.is_open()) return false;
    ArchiveAnalysis analysis;
    return analyse_paths(
        selection, list.count(),
        [&list](std::size_t index) { return list.path(static_cast<UINT>(index)); },
        DropFolder.get(),
        system_selection_probe(analysis));
}

}  // namespace kub
