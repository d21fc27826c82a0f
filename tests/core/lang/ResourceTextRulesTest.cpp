#include <gtest/gtest.h>

#include <string>

#include "core/lang/ResourceTextRules.h"

namespace vm {
namespace {

TEST(ResourceTextRules, MenuKeysFollowTheWalk) {
    // Menu bar: File (pop-up) > [Start (40036), Export (nested pop-up) > [...]],
    // Edit (pop-up) > [Sort (nested pop-up)].
    MenuKeyCounter counter;
    EXPECT_EQ(counter.KeyFor(true, true, 0, 0), 70001);
    EXPECT_EQ(counter.KeyFor(false, false, 0, 40036), 40036);
    EXPECT_EQ(counter.KeyFor(true, false, 1, 0), 71001);
    EXPECT_EQ(counter.KeyFor(true, true, 1, 0), 70002);
    EXPECT_EQ(counter.KeyFor(true, false, 0, 0), 71002);  // runs on across pop-ups
    MenuKeyCounter next;                                  // and restarts for each menu
    EXPECT_EQ(next.KeyFor(true, false, 3, 0), 71001);
}

TEST(ResourceTextRules, MenuTextsKeepOrDropTheAcceleratorPart) {
    EXPECT_EQ(TranslatedMenuText("&Starten", "&Start Downloads Test\tF2"), "&Starten\tF2");
    EXPECT_EQ(TranslatedMenuText("&Datei", "&File"), "&Datei");
    EXPECT_EQ(TranslatedMenuText(std::string(5000, 'x'), "a\tF2").size(), kMaxMenuText);
    EXPECT_EQ(SavedMenuText("&Start Downloads Test\tF2"), "&Start Downloads Test");
    EXPECT_EQ(SavedMenuText("&File"), "&File");
}

TEST(ResourceTextRules, DialogControls) {
    EXPECT_EQ(ControlKey(1023), "1023");
    EXPECT_EQ(ControlKey(-1), "-1");
    EXPECT_TRUE(ControlTextSaved(1009, "Automatically finish", "Button"));
    EXPECT_FALSE(ControlTextSaved(-1, "Label", "Static"));
    EXPECT_FALSE(ControlTextSaved(0, "Label", "Static"));
    EXPECT_FALSE(ControlTextSaved(1001, "", "Edit"));
    EXPECT_FALSE(ControlTextSaved(1002, "12/7/2026", "SysDateTimePick32"));
    EXPECT_TRUE(DialogExcludedFromLanguageFile(107));
    EXPECT_FALSE(DialogExcludedFromLanguageFile(111));
}

TEST(ResourceTextRules, MirroredLabelsLoseOnlyTrailingSpaces) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"When a download fails, retry up to ", "When a download fails, retry up to"},
        {"times", "times"},
        {"  lead and trail  ", "  lead and trail"},  // leading spaces are the reader's end
        {"tab\t", "tab\t"},                          // only spaces go
        {"   ", "   "},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MirroredLabelText(c.text), c.shown) << c.text;
}

}  // namespace
}  // namespace vm
