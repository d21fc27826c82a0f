#include <gtest/gtest.h>

#include "core/base/TextMatch.h"
#include "support/FakeCodePage.h"

namespace vm {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(TextMatch, DoubleByteTrailBytesAreNeverFolded) {
    test::FakeDoubleByteCodePage codePage;
    const struct {
        const char* a;
        const char* b;
        int order;
    } kCases[] = {
        {"\x83\x41", "\x83\x61", -1},  // two characters that differ only in a trail byte
        {"ABC\x83\x41", "abc\x83\x41", 0},
        {"\x83\x41", "a", 1},   // a double-byte character sorts above single bytes
        {"x\x83", "X\x83", 0},  // a lead byte at the end stands alone
        {"\x83"
         "A",
         "\x83"
         "a",
         -1},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Sign(CompareTextNoCase(c.a, c.b)), c.order) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(CompareTextNoCase(c.b, c.a)), -c.order);
    }

    const struct {
        const char* cell;
        const char* find;
        bool matchCase;
        bool wholeWord;
        bool found;
    } kFinds[] = {
        {"\x83\x41", "\x83\x61", false, false, false},
        {"\x83\x41", "\x83\x61", false, true, false},
        {"\x83\x41", "a", false, false, false},  // a trail byte is not the letter
        {"\x83\x41", "A", true, false, false},
        {"x\x83\x41Y", "\x83\x41y", false, false, true},
        {"\x83\x41\x41", "a", false, false, true},  // the letter after the character
        {"ABC", "b", false, false, true},
        {"ABC", "b", true, false, false},
    };
    for (const auto& f : kFinds) {
        FindRequest request;
        request.text = f.find;
        request.matchCase = f.matchCase;
        request.wholeWord = f.wholeWord;
        EXPECT_EQ(CellMatchesFind(f.cell, request), f.found) << f.cell << " / " << f.find;
    }
}

TEST(TextMatch, SingleBytePagesFoldOnlyAsciiLetters) {
    EXPECT_EQ(CompareTextNoCase("\x83\x41", "\x83\x61"), 0);
    EXPECT_NE(CompareTextNoCase("\xC4", "\xE4"), 0);
    FindRequest request;
    request.text = "a";
    EXPECT_TRUE(CellMatchesFind("\x83\x41", request));
}

}  // namespace
}  // namespace vm
