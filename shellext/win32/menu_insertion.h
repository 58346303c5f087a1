#pragma once
// A menu plan made real: string items (inside a "Korvex" popup when cascaded) in the shell's
// menu, with the menu images.
#include <windows.h>

#include "shellext/core/menu_plan.h"

namespace kub {

// Inserts the plan's items at `position` (or the popup there); insertion failures are ignored,
// as the shell's menu may refuse items.
void insert_menu_plan(HMENU menu, UINT position, const MenuPlan& plan);

}  // namespace kub
