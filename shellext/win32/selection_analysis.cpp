#include "shellext/win32/selection_analysis.h"

#include "shellext/win32/selection_capture.h"

namespace kub {

// The paths are captured; no command is offered yet, so a menu built on this state stays empty.
bool analyse_selection(SelectionState& selection, IDataObject* data) {
    selection.OfferAdd = selection.OfferExtract = false;
    selection.OfferExtractEach = selection.OfferOpenSfx = false;
    selection.SelectedPaths.clear();
    return capture_selection(data, selection.SelectedPaths) && selection.SelectedPaths.size() != 0;
}

}  // namespace kub
