#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/lang/LanguageFile.h"

namespace vm {

// One item of a menu level as the walk needs it.
struct MenuItemText {
    uint32_t commandId = 0;
    bool hasSubMenu = false;
    std::string text;  // empty for separators and items without text
};

// One level of a loaded menu; the GUI implements it over its menu handles, tests over a tree.
class MenuLevel {
public:
    virtual ~MenuLevel() = default;
    virtual int ItemCount() = 0;
    // False when the item cannot be read; the walk then goes on with the next one.
    virtual bool ReadItem(int position, MenuItemText* item) = 0;
    // Replaces the text only: a command keeps its id, a pop-up its sub-menu.
    virtual void SetItemText(int position, const std::string& text) = 0;
    virtual std::unique_ptr<MenuLevel> SubMenu(int position) = 0;
};

// Replaces every item text that the file's section "menu_<id>" translates; the built-in
// accelerator part (from the tab on) stays.
void TranslateMenu(MenuLevel& menu, int menuId, const LanguageFile& file);

// Adds the menu's texts, cut at their tab, under "menu_<id>" where the keys are absent.
void SaveMenuTexts(MenuLevel& menu, int menuId, LanguageFileWriter& writer);

}  // namespace vm
