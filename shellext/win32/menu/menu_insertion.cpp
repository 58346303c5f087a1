#include "shellext/win32/menu/menu_insertion.h"

#include <string>

#include "common/os/win32/wide_cast.h"
#include "shellext/win32/menu/module_gdi_objects.h"

namespace kub {
namespace {

// ID, type, data and check marks; the popup adds its submenu.
constexpr UINT kItemMask = MIIM_ID | MIIM_TYPE | MIIM_DATA | MIIM_CHECKMARKS;
constexpr UINT kPopupMask = kItemMask | MIIM_SUBMENU;

MENUITEMINFOW string_item(UINT mask, const std::u16string& text, UINT id, bool check_bitmap) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.fType = MFT_STRING;
    info.wID = id;
    info.dwTypeData = const_cast<LPWSTR>(os::as_wcstr(text.c_str()));
    info.cch = static_cast<UINT>(text.size());
    info.hbmpUnchecked = check_bitmap ? MenuBitmap : nullptr;
    return info;
}

void set_item_bitmap(HMENU menu, UINT id) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = MenuIconBitmap;
    ::SetMenuItemInfoW(menu, id, FALSE, &info);
}

}  // namespace

bool insert_menu_plan(HMENU menu, UINT position, const MenuPlan& plan) {
    HMENU target = menu;
    if (plan.cascaded) {
        HMENU popup = ::CreatePopupMenu();
        if (popup == nullptr) return false;
        const std::u16string text(kPopupText);
        MENUITEMINFOW info = string_item(kPopupMask, text, plan.popup_id, plan.popup_check_bitmap);
        info.hSubMenu = popup;
        if (!::InsertMenuItemW(menu, position++, TRUE, &info)) {
            // Only a menu that holds the popup destroys it with itself.
            ::DestroyMenu(popup);
            return false;
        }
        if (plan.popup_icon) {
            MENUITEMINFOW bitmap{};
            bitmap.cbSize = sizeof bitmap;
            bitmap.fMask = MIIM_BITMAP;
            bitmap.hbmpItem = MenuIconBitmap;
            ::SetMenuItemInfoW(menu, position - 1, TRUE, &bitmap);
        }
        target = popup;
        position = 0;
    }
    for (const MenuItemPlan& item : plan.items) {
        MENUITEMINFOW info = string_item(kItemMask, item.text, item.id, item.check_bitmap);
        ::InsertMenuItemW(target, position++, TRUE, &info);
        if (item.icon) set_item_bitmap(target, item.id);
    }
    return true;
}

}  // namespace kub
