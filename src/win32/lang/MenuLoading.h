#pragma once
#include <windows.h>

#include <memory>

#include "core/lang/MenuTranslation.h"

namespace vm {

// Loads a menu resource of the program and, with an active translation file, replaces its
// texts. The caller owns the menu.
HMENU LoadTranslatedMenu(int menuId);

// One level of a menu handle, for the shared walk.
class WinMenuLevel : public MenuLevel {
public:
    explicit WinMenuLevel(HMENU menu) : menu_(menu) {}
    int ItemCount() override;
    bool ReadItem(int position, MenuItemText* item) override;
    void SetItemText(int position, const std::string& text) override;
    std::unique_ptr<MenuLevel> SubMenu(int position) override;

private:
    HMENU menu_;
};

}  // namespace vm
