#include "win32/lang/MenuLoading.h"

#include <vector>

#include "core/lang/LanguageFile.h"
#include "core/lang/ResourceTextRules.h"

namespace vm {

int WinMenuLevel::ItemCount() { return GetMenuItemCount(menu_); }

bool WinMenuLevel::ReadItem(int position, MenuItemText* item) {
    std::vector<char> text(kMaxMenuText + 1);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoA(menu_, static_cast<UINT>(position), TRUE, &info)) return false;
    item->commandId = info.wID;
    item->hasSubMenu = info.hSubMenu != nullptr;
    if ((info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) == 0) item->text = text.data();
    return true;
}

void WinMenuLevel::SetItemText(int position, const std::string& text) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu_, static_cast<UINT>(position), TRUE, &info);
}

std::unique_ptr<MenuLevel> WinMenuLevel::SubMenu(int position) {
    HMENU sub = GetSubMenu(menu_, position);
    if (sub == nullptr) return nullptr;
    return std::make_unique<WinMenuLevel>(sub);
}

HMENU LoadTranslatedMenu(int menuId) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    if (menu == nullptr || !ActiveLanguageFile().IsActive()) return menu;
    WinMenuLevel top(menu);
    TranslateMenu(top, menuId, ActiveLanguageFile());
    return menu;
}

}  // namespace vm
