#pragma once
// The selection analysis run by Initialize: captures the selected paths and decides which
// commands the selection offers.
#include <windows.h>
#include <objidl.h>

#include "shellext/core/selection/selection_state.h"

namespace kub {

// False when the data object has no file list or the list is empty.
bool analyse_selection(SelectionState& selection, IDataObject* data);

}  // namespace kub
