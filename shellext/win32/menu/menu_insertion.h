#pragma once
// A menu plan made real: string items (inside a "Korvex" popup when cascaded) in the shell's
// menu, with the menu images.
#include <windows.h>

#include "shellext/core/commands/menu_plan.h"

namespace kub {

// Inserts the plan's items at `position` (or the popup there); a refused item is skipped, as the
// shell's menu may refuse items. False when the menu refused the popup: it is destroyed again
// and nothing is inserted.
bool insert_menu_plan(HMENU menu, UINT position, const MenuPlan& plan);

}  // namespace kub
