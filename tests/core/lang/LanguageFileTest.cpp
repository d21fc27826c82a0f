#include <gtest/gtest.h>

#include <string>

#include "core/base/CompanionFileName.h"
#include "core/lang/LanguageFile.h"
#include "support/FakeCodePage.h"
#include "support/FakeTranslation.h"
#include "support/MemoryFileSystem.h"
#include "support/Utf16File.h"

namespace vm {
namespace {

using test::MemoryFileSystem;
using test::ScopedTranslation;
using test::Utf16File;

constexpr char kExe[] = "C:\\Tools\\velocimark.exe";
constexpr char kLng[] = "C:\\Tools\\velocimark_lng.ini";

TEST(LanguageFile, FileNameCutsAtTheLastDotOfTheWholePath) {
    EXPECT_EQ(CompanionFileName(kExe, kLanguageFileSuffix), kLng);
    EXPECT_EQ(CompanionFileName("C:\\My.Tools\\velocimark", kLanguageFileSuffix), "C:\\My_lng.ini");
    EXPECT_EQ(CompanionFileName("velocimark", ".cfg"), "velocimark.cfg");
    EXPECT_EQ(MenuSectionName(102), "menu_102");
    EXPECT_EQ(DialogSectionName(-5), "dialog_-5");
}

TEST(LanguageFile, StringsComeFromTheFileUnlessEmptyOrFlagged) {
    MemoryFileSystem fs;
    fs.files[kLng] =
        "[Strings]\r\n455=Fehlgeschlagen\r\n454=\r\n4=%s%s%n\r\n5=, %d markiert\r\n"
        "2300=Fertig (langsam)\r\n2301=Nicht angenommen (%s)\r\n";
    LanguageFile file;
    ASSERT_TRUE(file.Load(fs, kLng));
    ScopedTranslation scope(&file);
    EXPECT_STREQ(GetString(455), "Fehlgeschlagen");
    EXPECT_STREQ(GetString(455 + kBuiltinStringFlag), "Failed");
    EXPECT_STREQ(GetString(454), "Finished");
    EXPECT_STREQ(GetString(456), "Connect Timeout");
    // Formats: a translation with other conversions is never used as one.
    EXPECT_STREQ(GetFormatString(4), "%d item(s)");
    EXPECT_STREQ(GetFormatString(5), ", %d markiert");
    EXPECT_STREQ(GetString(2300), "Fertig (langsam)");
    EXPECT_STREQ(GetFormatString(2301),
                 "The Pushgateway did not take the metrics (HTTP status %d).");
}

TEST(LanguageFile, GeneralValues) {
    struct Case {
        const char* general;
        bool rtl;
    } cases[] = {
        {"rtl=1", true}, {"RTL=1", true}, {"rtl=2", false},  {"rtl=yes", false},
        {"rtl=", false}, {"", false},     {"rtl= 1 ", true},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs;
        fs.files[kLng] = std::string("[General]\r\n") + c.general + "\r\n";
        LanguageFile file;
        ASSERT_TRUE(file.Load(fs, kLng));
        EXPECT_EQ(file.State().rightToLeft, c.rtl) << c.general;
    }
    MemoryFileSystem fs;
    fs.files[kLng] = "[general]\r\ncharset=" + std::string(100, 'c') +
                     "\r\nTranslatorName=Ana\r\nTranslatorURL=" + std::string(300, 'u') + "\r\n";
    LanguageFile file;
    ASSERT_TRUE(file.Load(fs, kLng));
    EXPECT_EQ(file.State().charset.size(), kMaxCharsetName);
    EXPECT_EQ(file.State().translatorName, "Ana");
    EXPECT_EQ(file.State().translatorUrl.size(), kMaxTranslatorUrl);
}

TEST(LanguageFile, MissingOrUnusableFileLeavesEverythingBuiltIn) {
    MemoryFileSystem fs;
    LanguageFile file;
    EXPECT_FALSE(file.Load(fs, kLng));
    EXPECT_FALSE(file.IsActive());
    fs.files[kLng] = std::string(kMaxLanguageFileBytes + 1, 'x');
    EXPECT_FALSE(file.Load(fs, kLng));
    std::string text;
    EXPECT_FALSE(file.ReadString(455, &text));
    EXPECT_FALSE(file.State().rightToLeft);
}

TEST(LanguageFile, ProcessWideLoadActivatesTheTranslation) {
    MemoryFileSystem fs;
    fs.files[kLng] = "[general]\r\nrtl=1\r\ncharset=windows-1253\r\n[strings]\r\n8=Test\r\n";
    ResetStringCacheForTesting();
    ASSERT_TRUE(LoadLanguageFile(fs, kExe));
    EXPECT_TRUE(LanguageIsRightToLeft());
    EXPECT_EQ(LanguageCharset(), "windows-1253");
    EXPECT_EQ(TranslatorName(), "");
    std::string text;
    EXPECT_TRUE(ReadTranslatedString(8, &text));
    EXPECT_STREQ(GetString(8), "Test");
    UnloadLanguageFileForTesting();
    ResetStringCacheForTesting();
    EXPECT_FALSE(LanguageIsRightToLeft());
    EXPECT_STREQ(GetString(8), "Downloads Speed Test");
}

class OneMenu : public LanguageResourceTexts {
public:
    void AddTexts(LanguageFileWriter& writer) override {
        writer.SetSection(MenuSectionName(102));
        writer.WriteIfAbsent("70001", "&File");
        writer.WriteIfAbsent("40036", "&Start Downloads Test");
    }
};

TEST(LanguageFile, SaveWritesMissingValuesOnly) {
    MemoryFileSystem fs;
    OneMenu menu;
    ASSERT_EQ(SaveLanguageFile(fs, kLng, "  1.27 ", &menu), LanguageSaveResult::Done);
    const std::string first = fs.files[kLng];
    EXPECT_EQ(
        first.rfind("[general]\r\nTranslatorName=\r\nTranslatorURL=\r\nVersion=1.27\r\nRTL=0\r\n"
                    "[menu_102]\r\n70001=&File\r\n40036=&Start Downloads Test\r\n"
                    "[strings]\r\n4=%d item(s)\r\n5=, %d Selected\r\n",
                    0),
        0u);
    EXPECT_NE(first.find("\r\n1009=Download Order\r\n"), std::string::npos);
    EXPECT_NE(first.find("\r\n2300=Finished (slow)\r\n"), std::string::npos);

    // A second save changes nothing; a translated text and a newer version are kept.
    ASSERT_EQ(SaveLanguageFile(fs, kLng, "1.27", &menu), LanguageSaveResult::Done);
    EXPECT_EQ(fs.files[kLng], first);
    fs.files[kLng] =
        "; by Ana\r\n[GENERAL]\r\nrtl=1\r\nVersion=0.9\r\nTranslatorName=\r\n[Menu_102]\r\n"
        "40036=&Starten\r\n[strings]\r\n455=Fehler\r\n454=\r\n";
    ASSERT_EQ(SaveLanguageFile(fs, kLng, "1.27", &menu), LanguageSaveResult::Done);
    const std::string& merged = fs.files[kLng];
    EXPECT_EQ(merged.rfind("; by Ana\r\n[GENERAL]\r\nrtl=1\r\nVersion=1.27\r\nTranslatorName=\r\n"
                           "TranslatorURL=\r\n[Menu_102]\r\n40036=&Starten\r\n70001=&File\r\n"
                           "[strings]\r\n455=Fehler\r\n454=Finished\r\n4=%d item(s)\r\n",
                           0),
              0u);
}

TEST(LanguageFile, Utf16FilesAreReadInTheCodePageAndSavedBackInTheirOwnEncoding) {
    test::FakeDoubleByteCodePage codePage;
    for (const bool bigEndian : {false, true}) {
        MemoryFileSystem fs;
        // U+0416 has no place in the code page: the save must keep it all the same.
        const std::u16string before =
            u"; \u0416 translation\r\n\r\n[strings]\r\n1008 = \u30A2-Status\r\n455=\u0416\r\n";
        fs.files[kLng] = Utf16File(before, bigEndian);
        LanguageFile file;
        ASSERT_TRUE(file.Load(fs, kLng));
        std::string text;
        ASSERT_TRUE(file.ReadString(1008, &text));
        EXPECT_EQ(text, "\x83\x41-Status");
        ASSERT_TRUE(file.ReadString(455, &text));
        EXPECT_EQ(text, "?");

        ASSERT_EQ(SaveLanguageFile(fs, kLng, "1.27", nullptr), LanguageSaveResult::Done);
        const std::string& saved = fs.files[kLng];
        const std::string head = Utf16File(before + u"4=%d item(s)\r\n", bigEndian);
        EXPECT_EQ(saved.compare(0, head.size(), head), 0) << bigEndian;
        EXPECT_NE(saved.find(Utf16File(u"[general]\r\nTranslatorName=", bigEndian).substr(2)),
                  std::string::npos);
        EXPECT_EQ(fs.files.size(), 1u);
    }
}

TEST(LanguageFile, SaveKeepsEveryLineItLeavesAlone) {
    MemoryFileSystem fs;
    const std::string before =
        "\xEF\xBB\xBF; kept as it is\r\n\r\n[ general ]\r\n[general]\r\n  Version = 0.9 \r\n"
        "TranslatorName = Ana\r\n\r\n\r\n[strings]\r\n  455 =  Fehler  \r\n454=\r\njunk "
        "line\r\n\r\n";
    fs.files[kLng] = before;
    ASSERT_EQ(SaveLanguageFile(fs, kLng, "1.27", nullptr), LanguageSaveResult::Done);
    EXPECT_EQ(fs.files[kLng].rfind(
                  "\xEF\xBB\xBF; kept as it is\r\n\r\n[ general ]\r\n[general]\r\nVersion=1.27\r\n"
                  "TranslatorName = Ana\r\nTranslatorURL=\r\nRTL=0\r\n\r\n\r\n[strings]\r\n"
                  "  455 =  Fehler  \r\n454=Finished\r\njunk line\r\n4=%d item(s)\r\n",
                  0),
              0u);
    EXPECT_EQ(fs.files[kLng].substr(fs.files[kLng].size() - 4), "\r\n\r\n");
}

TEST(LanguageFile, BytesThatAreNoTextAreNeitherUsedNorReplaced) {
    MemoryFileSystem fs;
    const std::string before("[\0s\0t\0r\0]\0\r\0\n\0", 14);
    fs.files[kLng] = before;
    LanguageFile file;
    EXPECT_FALSE(file.Load(fs, kLng));
    EXPECT_EQ(SaveLanguageFile(fs, kLng, "1.27", nullptr), LanguageSaveResult::NotReplaced);
    EXPECT_EQ(fs.files[kLng], before);
}

TEST(LanguageFile, SaveRefusesToReplaceAFileItCannotRead) {
    MemoryFileSystem fs;
    fs.files[kLng] = std::string(kMaxLanguageFileBytes + 1, ';');
    EXPECT_EQ(SaveLanguageFile(fs, kLng, "1.27", nullptr), LanguageSaveResult::NotReplaced);
    EXPECT_EQ(fs.files[kLng].size(), kMaxLanguageFileBytes + 1);
    fs.files.clear();
    fs.createError = kErrorAccessDenied;
    EXPECT_EQ(SaveLanguageFile(fs, kLng, "1.27", nullptr), LanguageSaveResult::WriteFailed);
}

}  // namespace
}  // namespace vm
