#include <gtest/gtest.h>

#include <string>

#include "core/ini/IniFile.h"

namespace vm {
namespace {

using namespace std::string_literals;

std::string Get(const IniFile& file, const char* section, const char* key) {
    std::string_view value;
    if (!file.Find(section, key, &value)) return "<absent>";
    return std::string(value);
}

TEST(IniFile, ReadsValuesTheWayTheProfileReaderDoes) {
    IniFile file;
    ASSERT_TRUE(
        file.Parse("\xEF\xBB\xBF[General]\r\n"
                   "  Plain = a value  \r\n"
                   "Double=\" padded \"\r\n"
                   "Single='x'\n"
                   "Mixed=\"x'\r"
                   "Lone=\"\r\n"
                   "Empty=\r\n"
                   "Inner=a=b\r\n"
                   "NoEquals\r\n"
                   "Tabbed\t=\tv\t\r\n"
                   "plain=second wins never\r\n"
                   "Nul=ab\0cd\r\n"
                   "[general]\r\nOnlyInSecond=1\r\n"
                   "[ Spaced ]\r\nk=1\r\n"
                   "[Open\r\nk=2\r\n"
                   "[Trail] junk\r\nk=3\r\n"s));
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"GENERAL", "plain", "a value"},
        {"General", "Double", " padded "},
        {"General", "Single", "x"},
        {"General", "Mixed", "\"x'"},
        {"General", "Lone", "\""},
        {"General", "Empty", ""},
        {"General", "Inner", "a=b"},
        {"General", "NoEquals", "<absent>"},
        {"General", "Tabbed", "v"},
        {"General", "Nul", "ab"},
        {"General", "OnlyInSecond", "<absent>"},  // the first section of a name wins
        {" Spaced ", "k", "1"},                   // the name is taken as written
        {"Spaced", "k", "<absent>"},
        {" spaced ", "K", "1"},
        {"Trail", "k", "3"},
        {"Missing", "k", "<absent>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(file, c.section, c.key), c.expected) << c.section << "/" << c.key;
    }
    // "[Open" is no header: its key stays in the section before it.
    EXPECT_EQ(Get(file, " Spaced ", "[Open"), "<absent>");
}

TEST(IniFile, WrittenValuesReadBackExactly) {
    const char* values[] = {"plain", " lead",  "trail\t", "\"quoted\"", "'single'",
                            "\"",    "a\"b\"", "",        "x=y",        "[not a section]"};
    IniFile file;
    for (size_t i = 0; i < std::size(values); ++i)
        file.Set("S", "k" + std::to_string(i), values[i]);
    file.Set("S", "broken", "line\r\n[General]\r\nAutoStopTime=1");
    IniFile reread;
    ASSERT_TRUE(reread.Parse(file.Serialize()));
    for (size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(Get(reread, "S", ("k" + std::to_string(i)).c_str()), values[i]);
    }
    // A value can never start a line of its own.
    EXPECT_EQ(Get(reread, "S", "broken"), "line  [General]  AutoStopTime=1");
    EXPECT_FALSE(reread.HasSection("General"));
}

TEST(IniFile, SetReplacesInPlaceAndAppendsToTheEndOfTheSection) {
    IniFile file;
    ASSERT_TRUE(file.Parse("; comment\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n[A]\r\nz=3\r\n"));
    file.Set("A", "X", "10");   // the first key of that name, spelled as it was
    file.Set("a", "w", "new");  // appended to the first [a]
    file.Set("c", "v", "4");    // a new section at the end
    EXPECT_EQ(
        file.Serialize(),
        "; comment\r\n[a]\r\nx=10\r\nw=new\r\n\r\n[b]\r\ny=2\r\n[A]\r\nz=3\r\n[c]\r\nv=4\r\n");
}

TEST(IniFile, RemoveUncoversALaterKeyOfTheSameName) {
    IniFile file;
    ASSERT_TRUE(file.Parse("[s]\r\nk=1\r\nK=2\r\n"));
    EXPECT_TRUE(file.Remove("S", "k"));
    EXPECT_EQ(Get(file, "s", "k"), "2");
    EXPECT_TRUE(file.Remove("s", "k"));
    EXPECT_EQ(Get(file, "s", "k"), "<absent>");
    EXPECT_FALSE(file.Remove("s", "k"));
    file.Set("s", "k", "3");
    EXPECT_EQ(file.Serialize(), "[s]\r\nk=3\r\n");
}

TEST(IniFile, ManySectionsStayFindable) {
    IniFile file;
    for (int i = 0; i < 20000; ++i)
        file.Set("Download" + std::to_string(i), "URL", std::to_string(i));
    IniFile reread;
    ASSERT_TRUE(reread.Parse(file.Serialize()));
    for (int i = 0; i < 20000; i += 997) {
        EXPECT_EQ(Get(reread, ("download" + std::to_string(i)).c_str(), "url"), std::to_string(i));
    }
}

TEST(IniFile, JunkNeverBreaksTheParser) {
    std::string junk;
    for (int i = 0; i < 200000; ++i) junk += static_cast<char>((i * 7919) % 256);
    IniFile file;
    EXPECT_TRUE(file.Parse(junk));
    file.Serialize();
    // A megabyte line is one value.
    const std::string line = "[s]\r\nk=" + std::string(1 << 20, 'v') + "\r\n";
    ASSERT_TRUE(file.Parse(line));
    std::string_view value;
    ASSERT_TRUE(file.Find("s", "k", &value));
    EXPECT_EQ(value.size(), 1u << 20);
}

TEST(IniFile, TooManyLinesAreRefused) {
    std::string text;
    text.reserve(kMaxIniLines * 2 + 8);
    for (size_t i = 0; i < kMaxIniLines; ++i) text += "a\n";
    IniFile file;
    EXPECT_TRUE(file.Parse(text + "\n\n  \n"));  // blank lines are free
    EXPECT_FALSE(file.Parse(text + "b\n"));
    EXPECT_EQ(file.LineCount(), 0u);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

TEST(IniFile, LargeSectionsKeepFirstMatchAndRemovalRules) {
    std::string text = "[strings]\r\n";
    for (int i = 0; i < 40; ++i) text += std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
    text += "7=late\r\n[Other]\r\n7=other\r\n[STRINGS]\r\n8=second section\r\n";
    IniFile file;
    ASSERT_TRUE(file.Parse(text));
    EXPECT_EQ(Get(file, "Strings", "7"), "v7");
    EXPECT_EQ(Get(file, "other", "7"), "other");
    EXPECT_EQ(Get(file, "strings", "8"), "v8");
    EXPECT_TRUE(file.Remove("strings", "7"));
    EXPECT_EQ(Get(file, "strings", "7"), "late");
    file.Set("strings", "100", "new");  // appended to the first section of the name
    file.Set("strings", "39", "changed");
    EXPECT_EQ(Get(file, "STRINGS", "100"), "new");
    IniFile reread;
    ASSERT_TRUE(reread.Parse(file.Serialize()));
    EXPECT_EQ(Get(reread, "strings", "39"), "changed");
    EXPECT_EQ(Get(reread, "strings", "100"), "new");
    EXPECT_EQ(Get(reread, "strings", "7"), "late");
    EXPECT_NE(file.Serialize().find("7=late\r\n100=new\r\n[Other]"), std::string::npos);
}

TEST(IniFile, LookupsInAnyOrderFindTheFirstSectionOfAName) {
    IniFile file;
    ASSERT_TRUE(file.Parse("[a]\r\nk=1\r\n[b]\r\nk=2\r\n[A]\r\nk=3\r\n[c]\r\nk=4\r\n"));
    const char* order[] = {"a", "b", "a", "c", "b", "a", "A", "c"};
    const char* expected[] = {"1", "2", "1", "4", "2", "1", "1", "4"};
    for (size_t i = 0; i < std::size(order); ++i) EXPECT_EQ(Get(file, order[i], "k"), expected[i]);
}

}  // namespace
}  // namespace vm
