#pragma once
// The context menu as data: which commands a selection gets, in order, with their texts,
// identifiers and images, and whether they sit in the "Korvex" popup. The Win32 adapter turns a
// plan into menu items; kubinfo prints it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shellext/core/commands/command_table.h"
#include "shellext/core/selection/selection_state.h"

namespace kub {

// Flag of the shell's menu query: only the default command is wanted.
inline constexpr std::uint32_t kMenuDefaultOnly = 0x1;
// Texts longer than this are shortened to their head, "..." and their tail.
inline constexpr std::size_t kMaxMenuTextLength = 80;
inline constexpr std::size_t kMenuTextHead = 27;
inline constexpr std::size_t kMenuTextTail = 50;
// Profile names are read with this capacity for the menu.
inline constexpr std::size_t kMenuProfileNameCapacity = 512;
inline constexpr std::u16string_view kPopupText = u"Korvex";

// Which menu images exist right now (Part of the image code; all false until it provides them).
struct MenuImageState {
    bool icon_bitmap = false;   // the icon image beside commands
    bool themed = false;        // visual styles are active: only then is the icon image used
};

struct MenuItemPlan {
    std::int32_t kind = 0;
    std::u16string text;
    std::uint32_t id = 0;
    bool icon = false;          // item bitmap: the icon image
    bool check_bitmap = false;  // unchecked check-mark image: the classic menu bitmap
};

struct MenuPlan {
    // False when the query was refused (default-only, busy, empty selection): the process-wide
    // table is then left as the previous menu made it.
    bool built = false;
    // With "CascadedMenu" every command goes into one popup item inserted at the position; it
    // carries the first command's identifier without consuming it.
    bool cascaded = false;
    std::uint32_t popup_id = 0;
    bool popup_icon = false;
    bool popup_check_bitmap = false;
    std::vector<MenuItemPlan> items;
    CommandTableState table;
    std::int32_t profile_count = 0;
    // Identifiers used, as the 16-bit count the menu query reports.
    std::uint16_t identifiers_used = 0;
};

// Shortens a text beyond kMaxMenuTextLength units to head, "..." and tail.
std::u16string shorten_menu_text(std::u16string_view text);
// Doubles every "&" so the menu shows it instead of taking it for a mnemonic.
std::u16string double_ampersands(std::u16string_view text);

// The menu for `selection`. Empty (nothing used) with kMenuDefaultOnly, while AnalysisBusy, or
// for an empty selection. `drop_folder` is DropFolder.
MenuPlan plan_menu(SelectionState& selection, std::uint32_t flags, std::uint32_t first_id,
                   std::u16string_view drop_folder, const MenuImageState& images);

// Makes the plan's table and profile count the process-wide CommandTable.
void record_commands(const MenuPlan& plan);

}  // namespace kub
