#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ini/IniFile.h"
#include "core/lang/DialogTexts.h"
#include "core/lang/MenuTranslation.h"
#include "support/MemoryFileSystem.h"

namespace vm {
namespace {

using test::MemoryFileSystem;

// A menu as a tree of items.
struct Node {
    uint32_t id = 0;
    std::string text;
    std::vector<Node> children;
    bool popup = false;
    bool unreadable = false;
};

Node Item(uint32_t id, std::string text) { return Node{id, std::move(text), {}, false, false}; }
Node Popup(std::string text, std::vector<Node> children) {
    return Node{0, std::move(text), std::move(children), true, false};
}

class TreeLevel : public MenuLevel {
public:
    explicit TreeLevel(Node& node) : node_(node) {}
    int ItemCount() override { return static_cast<int>(node_.children.size()); }
    bool ReadItem(int position, MenuItemText* item) override {
        const Node& child = node_.children[position];
        if (child.unreadable) return false;
        item->commandId = child.id;
        item->hasSubMenu = child.popup;
        item->text = child.text;
        return true;
    }
    void SetItemText(int position, const std::string& text) override {
        node_.children[position].text = text;
    }
    std::unique_ptr<MenuLevel> SubMenu(int position) override {
        return std::make_unique<TreeLevel>(node_.children[position]);
    }

private:
    Node& node_;
};

// File > [Start\tF2, separator, Export > [Html, (untitled pop-up) > [Deep]]],
// Edit > [Sort > [Up]], and an item that cannot be read.
Node SampleMenu() {
    Node untitled = Popup("", {Item(3, "Deep")});
    Node unreadable = Item(9, "Lost");
    unreadable.unreadable = true;
    return Popup("", {Popup("&File", {Item(40036, "&Start Downloads Test\tF2"), Item(0, ""),
                                      Popup("Export", {Item(1, "Html"), untitled})}),
                      unreadable, Popup("&Edit", {Popup("Sort", {Item(2, "Up\tCtrl+U")})})});
}

TEST(MenuTranslation, SavedKeysFollowTheWalkAndCutAccelerators) {
    Node menu = SampleMenu();
    TreeLevel top(menu);
    IniFile file;
    LanguageFileWriter writer(file);
    SaveMenuTexts(top, 102, writer);
    EXPECT_EQ(
        "[menu_102]\r\n70001=&File\r\n40036=&Start Downloads Test\r\n71001=Export\r\n"
        "1=Html\r\n3=Deep\r\n70003=&Edit\r\n71002=Sort\r\n2=Up\r\n",
        file.Serialize());
}

TEST(MenuTranslation, TranslationKeepsAcceleratorsAndUntranslatedTexts) {
    MemoryFileSystem fs;
    fs.files["x_lng.ini"] =
        "[MENU_102]\r\n40036=&Los\r\n70001=&Datei\r\n71002=Sortieren\r\n2=Auf\r\n1=\r\n";
    LanguageFile file;
    ASSERT_TRUE(file.Load(fs, "x_lng.ini"));
    Node menu = SampleMenu();
    TreeLevel top(menu);
    TranslateMenu(top, 102, file);
    const Node& fileMenu = menu.children[0];
    EXPECT_EQ("&Datei", fileMenu.text);
    EXPECT_EQ("&Los\tF2", fileMenu.children[0].text);
    EXPECT_EQ("Html", fileMenu.children[2].children[0].text);  // an empty value is absent
    EXPECT_EQ("Sortieren", menu.children[2].children[0].text);
    EXPECT_EQ("Auf\tCtrl+U", menu.children[2].children[0].children[0].text);
}

TEST(DialogTexts, SavedControlsHaveIdsAndTextsButNoDatePickers) {
    IniFile file;
    LanguageFileWriter writer(file);
    DialogTexts texts;
    texts.caption = "Advanced Options";
    texts.controls = {{1, "OK", "Button"},
                      {-1, "Label", "Static"},
                      {1001, "", "Edit"},
                      {1002, "7/12/2026", "SysDateTimePick32"},
                      {1009, "Finish", "Button"}};
    SaveDialogTexts(111, texts, writer);
    SaveDialogTexts(112, DialogTexts(), writer);
    EXPECT_EQ("[dialog_111]\r\ncaption=Advanced Options\r\n1=OK\r\n1009=Finish\r\n",
              file.Serialize());
}

}  // namespace
}  // namespace vm
