#pragma once
// What one extension object knows about the shell's selection: the captured paths and the
// commands the selection analysis found applicable.
#include "common/text/string_list.h"

namespace kub {

struct SelectionState {
    // Selected file-system paths in the order the shell lists them; possibly only a prefix of
    // the selection until the full capture has run.
    StringList SelectedPaths;
    // SelectedPaths holds every selected path.
    bool SelectionComplete = false;
    bool OfferAdd = false;
    bool OfferExtract = false;
    bool OfferExtractEach = false;
    bool OfferOpenSfx = false;
};

}  // namespace kub
