#include <gtest/gtest.h>

#include <string>

#include "core/config/IniProfileStore.h"

namespace vm {
namespace {

TEST(IniProfileStore, LoadsIntegersWithDefaultsAndAtoiRules) {
    IniFile file;
    ASSERT_TRUE(file.Parse(
        "[General]\r\nA=12abc\r\nB=word\r\nC=\r\nD= -7 \r\nE=99999999999\r\nF=-99999999999\r\n"));
    IniProfileStore store(file, ProfileDirection::Load);
    struct Case {
        const char* key;
        int32_t expected;
    } cases[] = {{"A", 12},        {"B", 0},         {"C", 5},      {"D", -7},
                 {"E", INT32_MAX}, {"F", INT32_MIN}, {"Missing", 5}};
    for (const Case& c : cases) {
        int32_t value = -1;
        store.ExchangeInt(c.key, value, 5);
        EXPECT_EQ(value, c.expected) << c.key;
    }
    uint16_t u = 0;
    store.ExchangeUInt16("D", u, 1);
    EXPECT_EQ(u, 65529);
}

TEST(IniProfileStore, DoubleReadsAsWrittenAndSavesWithItsDecimals) {
    IniFile file;
    ASSERT_TRUE(file.Parse("[General]\r\nV=2.34\r\nEmpty=\r\n"));
    IniProfileStore load(file, ProfileDirection::Load);
    double value = 0;
    load.ExchangeDouble("V", 1, value, 0.5);
    EXPECT_DOUBLE_EQ(value, 2.34);
    load.ExchangeDouble("Missing", 1, value, 0.5);
    EXPECT_DOUBLE_EQ(value, 0.5);
    load.ExchangeDouble("Empty", 1, value, 0.5);  // present: the empty text is 0
    EXPECT_DOUBLE_EQ(value, 0.0);

    IniFile out;
    IniProfileStore save(out, ProfileDirection::Save);
    double stored = 2.34;
    save.ExchangeDouble("V", 1, stored, 0.5);
    double huge = 1e308;
    save.ExchangeDouble("H", 40, huge, 0.5);
    std::string_view text;
    ASSERT_TRUE(out.Find("General", "V", &text));
    EXPECT_EQ(text, "2.3");
    ASSERT_TRUE(out.Find("General", "H", &text));
    EXPECT_EQ(text.size(), 309u + 1 + 17);
}

TEST(IniProfileStore, StringsAreCutToCapacityAndDefaultOnlyWhenAbsent) {
    IniFile file;
    ASSERT_TRUE(file.Parse("[General]\r\nName=abcdef\r\nEmpty=\r\n"));
    IniProfileStore store(file, ProfileDirection::Load);
    std::string value;
    store.ExchangeString("Name", value, "dflt", 4);
    EXPECT_EQ(value, "abc");
    store.ExchangeString("Empty", value, "dflt", 10);
    EXPECT_EQ(value, "");
    store.ExchangeString("Missing", value, "dflt", 10);
    EXPECT_EQ(value, "dflt");
}

TEST(IniProfileStore, BinaryRoundTripAndPresence) {
    IniFile file;
    IniProfileStore save(file, ProfileDirection::Save);
    uint8_t bytes[4] = {1, 2, 0xFE, 0xFF};
    size_t count = 4;
    save.ExchangeBinary("Bin", bytes, &count);
    save.SetSection("Other");
    int32_t seven = 7;
    save.ExchangeInt("Bin", seven, 0);
    EXPECT_EQ(file.Serialize(), "[General]\r\nBin=01 02 FE FF\r\n[Other]\r\nBin=7\r\n");

    IniProfileStore load(file, ProfileDirection::Load);
    uint8_t in[6] = {9, 9, 9, 9, 9, 9};
    size_t capacity = 6;
    EXPECT_TRUE(load.ExchangeBinary("bin", in, &capacity));
    EXPECT_EQ(capacity, 4u);
    EXPECT_EQ(in[2], 0xFE);
    EXPECT_EQ(in[4], 9);
    capacity = 6;
    EXPECT_FALSE(load.ExchangeBinary("Missing", in, &capacity));
    EXPECT_EQ(capacity, 6u);
}

TEST(IniProfileStore, DeleteKeyRemovesFromTheCurrentSection) {
    IniFile file;
    ASSERT_TRUE(file.Parse("[General]\r\nK=1\r\n[X]\r\nK=2\r\n"));
    IniProfileStore store(file, ProfileDirection::Save);
    store.SetSection("X");
    store.DeleteKey("k");
    EXPECT_EQ(file.Serialize(), "[General]\r\nK=1\r\n[X]\r\n");
}

}  // namespace
}  // namespace vm
