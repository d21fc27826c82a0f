#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/lang/BuiltinStrings.h"
#include "core/lang/StringTable.h"
#include "support/FakeTranslation.h"

namespace vm {
namespace {

using test::FakeTranslation;
using test::ScopedTranslation;

TEST(StringTable, BuiltinTableIsOrderedAndComplete) {
    size_t count = 0;
    const BuiltinString* strings = BuiltinStrings(&count);
    ASSERT_EQ(count, 170u);
    for (size_t i = 1; i < count; ++i) EXPECT_LT(strings[i - 1].id, strings[i].id);
    EXPECT_STREQ(FindBuiltinString(18),
                 "Do you want to create NSIS installation with your current Velocimark "
                 "configuration ?");
    EXPECT_STREQ(FindBuiltinString(482), "KB/Sec");
    EXPECT_EQ(FindBuiltinString(701), nullptr);
}

TEST(StringTable, BuiltinTextsWithAndWithoutFlag) {
    ScopedTranslation scope(nullptr);
    EXPECT_STREQ(GetString(455), "Failed");
    EXPECT_STREQ(GetString(455 + kBuiltinStringFlag), "Failed");
    EXPECT_EQ(GetStringCacheUsage().entries, 2u);  // cached separately
    EXPECT_STREQ(GetString(1009), "Download Order");
}

TEST(StringTable, UnknownIdIsEmptyAndNotCached) {
    ScopedTranslation scope(nullptr);
    EXPECT_STREQ(GetString(3), "");
    EXPECT_STREQ(GetString(701), "");
    EXPECT_EQ(GetStringCacheUsage().entries, 0u);
}

TEST(StringTable, ReturnedTextStaysPutAndIsReused) {
    ScopedTranslation scope(nullptr);
    const char* first = GetString(13);
    for (uint32_t id : {4u, 5u, 6u, 1001u}) GetString(id);
    EXPECT_EQ(GetString(13), first);
    EXPECT_STREQ(first, "Error %d:");
}

TEST(StringTable, TranslationIsConsultedOnceAndFlagBypassesIt) {
    FakeTranslation translation;
    translation.texts[455] = "Fehlgeschlagen";
    translation.texts[454] = "";  // empty: the built-in text is used
    ScopedTranslation scope(&translation);

    EXPECT_STREQ(GetString(455), "Fehlgeschlagen");
    EXPECT_STREQ(GetString(455), "Fehlgeschlagen");
    EXPECT_EQ(translation.reads, 1);
    EXPECT_STREQ(GetString(455 | kBuiltinStringFlag), "Failed");
    EXPECT_EQ(translation.reads, 1);
    EXPECT_STREQ(GetString(454), "Finished");
    // An id the built-in table lacks can still come from the file.
    translation.texts[701] = "Enter URLs";
    EXPECT_STREQ(GetString(701), "Enter URLs");
}

TEST(StringTable, LongTranslationIsCutAndNulEndsIt) {
    FakeTranslation translation;
    translation.texts[6] = std::string(5000, 'x');
    translation.texts[7] = std::string("abc\0def", 7);
    ScopedTranslation scope(&translation);
    EXPECT_EQ(std::strlen(GetString(6)), kMaxTranslatedString);
    EXPECT_STREQ(GetString(7), "abc");
}

TEST(StringTable, FullEntryTableRefusesNewIdsButKeepsOld) {
    FakeTranslation translation;
    for (uint16_t id = 2000; id < 2000 + kStringCacheEntries + 1; ++id) translation.texts[id] = "t";
    ScopedTranslation scope(&translation);
    for (uint16_t id = 2000; id < 2000 + kStringCacheEntries; ++id)
        ASSERT_STREQ(GetString(id), "t");
    EXPECT_EQ(GetStringCacheUsage().entries, kStringCacheEntries);
    EXPECT_STREQ(GetString(2000 + kStringCacheEntries), "");
    EXPECT_STREQ(GetString(455), "");
    EXPECT_STREQ(GetString(2000), "t");
}

TEST(StringTable, FullPoolNeedsTwoBytesToSpare) {
    FakeTranslation translation;
    // Seven texts of 4095 characters use 28,672 bytes; 4094 remain.
    for (uint16_t id = 3000; id < 3007; ++id) translation.texts[id] = std::string(4095, 'a');
    translation.texts[3100] = std::string(4092, 'b');  // 28672 + 4092 + 2 = 32766: fits
    translation.texts[3101] = "c";                     // 32765 + 1 + 2 = 32768: refused
    ScopedTranslation scope(&translation);
    for (uint16_t id = 3000; id < 3007; ++id) ASSERT_EQ(std::strlen(GetString(id)), 4095u);
    EXPECT_EQ(std::strlen(GetString(3100)), 4092u);
    EXPECT_EQ(GetStringCacheUsage().poolBytes, 32765u);
    EXPECT_STREQ(GetString(3101), "");
    EXPECT_EQ(GetStringCacheUsage().entries, 8u);
}

TEST(StringTable, FormatConversionsMustMatchTheBuiltinText) {
    struct Case {
        const char* translated;
        bool used;
    } cases[] = {
        {"%d Eintrag/Eintraege", true},
        {"%5d elements (100%%)", true},
        {"%i items", true},
        {"%s%s%n", false},
        {"%d %d", false},
        {"no number", false},
        {"%ld items", false},
        {"%*d items", false},
        {"50%", false},
        {"%1024d items", true},
        {"%.5d items", true},
        {"%1025d items", false},        // pads for seconds
        {"%.999999999d items", false},  // a buffer of that size
        {"%99999999999999999999d items", false},
        {"%I64d items", false},
        {"100% %d", false},  // "% %" reads as a conversion with a flag
        {"%d items%", false},
    };
    for (const Case& c : cases) {
        FakeTranslation translation;
        translation.texts[4] = c.translated;
        ScopedTranslation scope(&translation);
        EXPECT_STREQ(GetFormatString(4), c.used ? c.translated : "%d item(s)") << c.translated;
    }
}

}  // namespace
}  // namespace vm
