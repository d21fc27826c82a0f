#include <gtest/gtest.h>

#include <string>

#include "core/report/ReportFormat.h"
#include "support/FakeTranslation.h"

namespace vm {
namespace {

std::string Escape(const std::string& text, size_t size = kReportLineLimit + 1) {
    std::string out(size, '\x7F');
    const size_t length = HtmlEscape(text.c_str(), out.data(), size);
    EXPECT_EQ(out[length], '\0');
    return out.substr(0, length);
}

TEST(ReportFormatTest, HtmlEscapeReplacesExactlySixCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"<b>", "&lt;b&gt;"},
        {"a \"q\" & b", "a &quot;q&quot; &amp; b"},
        {"20\xB0", "20&deg;"},
        {"one\ntwo\r\nthree", "one<br>two\r<br>three"},
        {"'apostrophe' %s \t;", "'apostrophe' %s \t;"},
        {"", ""},
    };
    for (const auto& [text, escaped] : cases) EXPECT_EQ(Escape(text), escaped) << text;
}

TEST(ReportFormatTest, HtmlEscapeCutsBetweenWholeEntities) {
    EXPECT_EQ(Escape("ab&cd", 6), "ab");  // "&amp;" needs 5 of the 5 left: no
    EXPECT_EQ(Escape("ab&cd", 8), "ab&amp;");
    EXPECT_EQ(Escape("abc", 1), "");
    EXPECT_EQ(HtmlEscape("abc", nullptr, 0), 0u);
}

TEST(ReportFormatTest, ColorToHexIsRedGreenBlue) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0xE0E0E0, "E0E0E0"}, {0xFFFFFF, "FFFFFF"}, {0x0000FF, "FF0000"},
        {0x123456, "563412"}, {0x000000, "000000"},
    };
    for (const auto& [color, hex] : cases) {
        char out[7];
        ColorToHex(color, out);
        EXPECT_STREQ(out, hex);
    }
}

TEST(ReportFormatTest, XmlTagNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"URL", "url"},
        {"Speed (Bytes)", "speed__bytes_"},
        {"Speed (Bits)", "speed__bits_"},
        {"Download Duration", "download_duration"},
        {"Downloads Speed Test", "downloads_speed_test"},
        {"a\\b/c", "a_b_c"},
        {"Keep-dots.and:colons", "keep-dots.and:colons"},
    };
    for (const auto& [title, tag] : cases) {
        char out[kXmlNameLimit + 1];
        XmlTagName(title, out, sizeof out);
        EXPECT_STREQ(out, tag);
    }
    const std::string longTitle(400, 'A');
    char out[kXmlNameLimit + 1];
    EXPECT_EQ(XmlTagName(longTitle.c_str(), out, sizeof out), kXmlNameLimit);
}

TEST(ReportFormatTest, SaveDialogFiltersOfTheSevenTypes) {
    test::ScopedTranslation builtinTexts{nullptr};
    std::string list;
    ASSERT_TRUE(BuildReportFilterList(&list));
    const std::string expected = std::string("Text File (*.txt)\0*.txt\0", 24) +
                                 std::string("Tab Delimited Text File (*.txt)\0*.txt\0", 38);
    EXPECT_EQ(list.substr(0, expected.size()), expected);
    // Seven description/pattern pairs, then the closing NULs.
    size_t nuls = 0;
    for (char c : list) nuls += c == '\0';
    EXPECT_EQ(nuls, 7u * 2 + 2);
    EXPECT_EQ(list.substr(list.size() - 8), std::string("*.csv\0\0\0", 8));
    EXPECT_STREQ(ReportFilePattern(4), "*.htm;*.html");
    EXPECT_STREQ(ReportFilePattern(8), "");
    EXPECT_STREQ(ReportSwitch(5), "/sverhtml");
}

}  // namespace
}  // namespace vm
