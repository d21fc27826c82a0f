#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/UrlList.h"
#include "core/config/PersistConfig.h"
#include "core/list/DownloadListView.h"
#include "support/FakeTranslation.h"
#include "support/MemoryFileSystem.h"

namespace vm {
namespace {

struct LineCase {
    const char* line;
    bool accepted;
    const char* url;
    const char* name;
};

TEST(UrlListTest, LinesSplitIntoUrlAndName) {
    const LineCase cases[] = {
        {"http://h/f.zip   My test", true, "http://h/f.zip", "My test"},
        {"http://h/f.zip My test  ", true, "http://h/f.zip", "My test  "},
        {"http://h/f.zip", true, "http://h/f.zip", ""},
        {"http://h/f.zip    ", true, "http://h/f.zip", ""},
        {"\"C:\\My Files\\a b.bin\" Local copy", true, "C:\\My Files\\a b.bin", "Local copy"},
        {"\"C:\\a b\"xyz Name", true, "C:\\a b", "Name"},  // text up to the space dropped
        {"\"C:\\a b\"", true, "C:\\a b", ""},
        {"\"abcdefghi://h/ x", false, "\"abcdefghi://h/ x", ""},  // no closing quote: all of it
        {"\"ftp://h/f name", true, "\"ftp://h/f name", ""},       // "://" at 4 with the quote
        {"http://h/a\tb c", true, "http://h/a\tb", "c"},          // a tab is part of the URL
        {" http://h/", false, "", "http://h/"},
        {"", false, "", ""},
        // The scheme rule: "://" first found 3 to 9 characters in.
        {"x://host/", false, "x://host/", ""},
        {"ab://host/", false, "ab://host/", ""},
        {"ftp://host/", true, "ftp://host/", ""},
        {"gopher://host/", true, "gopher://host/", ""},
        {"abcdefghi://h/", true, "abcdefghi://h/", ""},
        {"abcdefghij://h/", false, "abcdefghij://h/", ""},
        {"host/file.zip", false, "host/file.zip", ""},
        {"ab://x://y", false, "ab://x://y", ""},  // only the first occurrence counts
        {"\xEF\xBB\xBFhttp://h/", true, "\xEF\xBB\xBFhttp://h/", ""},  // BOM kept
        {"\xEF\xBB\xBF"
         "abcdefg://h/",
         false,
         "\xEF\xBB\xBF"
         "abcdefg://h/",
         ""},
        // Local paths.
        {"\\\\server\\share\\file.bin", true, "\\\\server\\share\\file.bin", ""},
        {"D:\\file.bin", true, "D:\\file.bin", ""},
        {"D:file.bin", false, "D:file.bin", ""},
        {"\\server\\file", false, "\\server\\file", ""},
    };
    for (const LineCase& c : cases) {
        UrlListLine parsed;
        EXPECT_EQ(ParseUrlListLine(c.line, &parsed), c.accepted) << c.line;
        EXPECT_EQ(parsed.url, c.url) << c.line;
        EXPECT_EQ(parsed.name, c.name) << c.line;
    }
}

class UrlListInputTest : public ::testing::Test {
protected:
    test::ScopedTranslation builtinTexts{nullptr};
    AppSettings settings;
    DownloadListView list{settings, nullptr};

    std::vector<std::string> Urls() const {
        std::vector<std::string> urls;
        for (const DownloadItem& item : list.Items()) urls.push_back(item.url);
        return urls;
    }
};

TEST_F(UrlListInputTest, TheThreeLineEndsSplitAlikeAndBlankLinesAddNothing) {
    const std::vector<std::string> expected = {"http://a/", "ftp://b/", "http://c/"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        list.DeleteAllItems();
        const std::string e = end;
        const std::string text =
            "http://a/" + e + e + "ftp://b/" + e + "junk" + e + "http://c/" + e;
        EXPECT_EQ(ParseUrlList(list, text), 3u);
        EXPECT_EQ(Urls(), expected);
    }
    list.DeleteAllItems();
    EXPECT_EQ(ParseUrlList(list, "http://a/\r\r\nhttp://b/"), 2u);  // CR, then CR LF
}

TEST_F(UrlListInputTest, ItemsAreAppendedWithTheirOrderAndANulEndsTheText) {
    list.AddItem(DownloadItem("http://old/", "", 0));
    const std::string text = std::string("http://a/ A\nhttp://b/") + '\0' + "\nhttp://c/";
    EXPECT_EQ(ParseUrlList(list, text), 2u);
    ASSERT_EQ(list.ItemCount(), 3u);
    EXPECT_EQ(list.ItemAt(1).name, "A");
    EXPECT_EQ(list.ItemAt(1).order, 1);
    EXPECT_EQ(list.ItemAt(2).order, 2);
    EXPECT_EQ(list.ItemAt(2).disabled, 0);
    EXPECT_EQ(ParseUrlList(list, text), 2u);  // no duplicate check
    EXPECT_EQ(list.ItemCount(), 5u);
}

TEST_F(UrlListInputTest, TheListStopsGrowingWhereAConfigurationLoadStops) {
    list.Items().resize(static_cast<size_t>(kMaxDownloadItems) - 1);
    EXPECT_EQ(ParseUrlList(list, "http://a/\nhttp://b/\n"), 1u);
    EXPECT_EQ(list.ItemAt(list.ItemCount() - 1).url, "http://a/");
    EXPECT_EQ(ParseUrlList(list, "http://c/"), 0u);
    EXPECT_FALSE(AddLocalFile(list, "C:\\x.bin"));
}

TEST_F(UrlListInputTest, AFiveThousandCharacterLineIsKeptWholeAndTheNextLineStillRead) {
    const std::string longLine = "http://h/" + std::string(4991, 'x');  // 5,000 characters
    EXPECT_EQ(ParseUrlList(list, longLine + " name\nhttp://next/"), 2u);
    ASSERT_EQ(list.ItemCount(), 2u);
    EXPECT_EQ(list.ItemAt(0).url, longLine);  // a cut URL would fetch something else
    EXPECT_EQ(list.ItemAt(0).name, "name");
    UrlListLine parsed;
    ASSERT_TRUE(ParseUrlListLine(longLine + " " + std::string(300, 'n'), &parsed));
    EXPECT_EQ(parsed.name, std::string(300, 'n'));
    EXPECT_EQ(list.ItemAt(1).url, "http://next/");
}

TEST_F(UrlListInputTest, FilesAndLocalItems) {
    test::MemoryFileSystem files;
    files.files["list.txt"] = "http://a/ A\r\nbad\r\n";
    size_t added = 9;
    EXPECT_FALSE(ReadUrlListFile(files, "missing.txt", list, &added));
    EXPECT_EQ(added, 0u);
    EXPECT_TRUE(ReadUrlListFile(files, "list.txt", list, &added));
    EXPECT_EQ(added, 1u);

    AddLocalFile(list, "C:\\data\\big file.bin");
    AddLocalFile(list, "D:/x/y.iso");
    ASSERT_EQ(list.ItemCount(), 3u);
    EXPECT_EQ(list.ItemAt(1).url, "C:\\data\\big file.bin");
    EXPECT_EQ(list.ItemAt(1).name, "big file.bin");
    EXPECT_EQ(list.ItemAt(1).order, 1);
    EXPECT_EQ(list.ItemAt(2).name, "y.iso");
    AddLocalFile(list, "C:\\" + std::string(400, 'p'));
    EXPECT_EQ(list.ItemAt(3).url, "C:\\" + std::string(400, 'p'));
    EXPECT_EQ(list.ItemAt(3).name, std::string(400, 'p'));
}

struct FilterNameCase {
    const char* hint;      // the translation's 701, nullptr when the file has none
    const char* allFiles;  // the translation's 2000, nullptr when the file has none
    const char* expected;
};

TEST(UrlListTest, AddFileFilterIsNeverBlank) {
    const FilterNameCase cases[] = {
        {nullptr, nullptr, "All Files"},
        {"", nullptr, "All Files"},  // an empty 701 counts as none
        {nullptr, "Alle Dateien", "Alle Dateien"},
        {"Testdatei", "Alle Dateien", "Testdatei"},  // a translated 701 keeps its place
    };
    for (const FilterNameCase& c : cases) {
        test::FakeTranslation translation;
        if (c.hint != nullptr) translation.texts[701] = c.hint;
        if (c.allFiles != nullptr) translation.texts[2000] = c.allFiles;
        test::ScopedTranslation scope(&translation);
        EXPECT_STREQ(AddFileFilterName(), c.expected) << (c.hint ? c.hint : "(none)");
    }
}

}  // namespace
}  // namespace vm
