#include "core/lang/MenuTranslation.h"

#include "core/lang/ResourceTextRules.h"

namespace vm {
namespace {

// Visits every item with a text, depth first, with its language-file key; the count of
// nested pop-ups runs over the whole menu.
template <typename Visit>
void Walk(MenuLevel& level, bool topLevel, MenuKeyCounter& counter, Visit& visit) {
    const int count = level.ItemCount();
    for (int position = 0; position < count; ++position) {
        MenuItemText item;
        if (!level.ReadItem(position, &item)) continue;
        if (!item.text.empty()) {
            const int key = counter.KeyFor(item.hasSubMenu, topLevel, position, item.commandId);
            visit(level, position, std::to_string(key), item.text);
        }
        if (item.hasSubMenu) {
            std::unique_ptr<MenuLevel> sub = level.SubMenu(position);
            if (sub != nullptr) Walk(*sub, false, counter, visit);
        }
    }
}

}  // namespace

void TranslateMenu(MenuLevel& menu, int menuId, const LanguageFile& file) {
    if (!file.IsActive()) return;
    const std::string section = MenuSectionName(menuId);
    auto visit = [&](MenuLevel& level, int position, const std::string& key,
                     const std::string& builtin) {
        std::string translation;
        if (file.ReadText(section, key, &translation)) {
            level.SetItemText(position, TranslatedMenuText(translation, builtin));
        }
    };
    MenuKeyCounter counter;
    Walk(menu, true, counter, visit);
}

void SaveMenuTexts(MenuLevel& menu, int menuId, LanguageFileWriter& writer) {
    writer.SetSection(MenuSectionName(menuId));
    auto visit = [&](MenuLevel&, int, const std::string& key, const std::string& builtin) {
        writer.WriteIfAbsent(key, SavedMenuText(builtin));
    };
    MenuKeyCounter counter;
    Walk(menu, true, counter, visit);
}

}  // namespace vm
