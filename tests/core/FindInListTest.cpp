#include <gtest/gtest.h>

#include <string>

#include "listview/FindInList.h"

namespace vm {
namespace {

TEST(FindInListTest, RequestFlagsAndText) {
    EXPECT_EQ(FindActionOf(kFindNextRequest | kFindDown), FindAction::Search);
    EXPECT_EQ(FindActionOf(kFindDialogClosing | kFindDown), FindAction::Closed);
    EXPECT_EQ(FindActionOf(kFindDown), FindAction::None);

    const FindRequest up = FindRequestOf(kFindNextRequest | kFindMatchCase, "Beta", 256);
    EXPECT_EQ(up.text, "Beta");
    EXPECT_FALSE(up.down);
    EXPECT_TRUE(up.matchCase);
    EXPECT_FALSE(up.wholeWord);
    const FindRequest whole = FindRequestOf(kFindDown | kFindWholeWord, "x", 256);
    EXPECT_TRUE(whole.down && whole.wholeWord && !whole.matchCase);

    // A buffer without its NUL is read only within its size, and at most 254 characters.
    const std::string full(300, 'a');
    EXPECT_EQ(FindRequestOf(0, full.c_str(), 10).text.size(), 10u);
    EXPECT_EQ(FindRequestOf(0, full.c_str(), 300).text.size(), kMaxFindText);
}

}  // namespace
}  // namespace vm
