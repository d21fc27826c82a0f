#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinTestFiles.h"
#include "core/lang/LanguageFile.h"
#include "support/FakeConfigParts.h"
#include "support/Utf16File.h"
#include "win32/platform/WinCodePage.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {
namespace {

class SystemCodePageScope {
public:
    SystemCodePageScope() { SetSystemCodePage(&codePage_); }
    ~SystemCodePageScope() { SetSystemCodePage(nullptr); }

private:
    WinCodePage codePage_;
};

TEST(WinFileSystem, MoveOverReplacesTheTargetOrLeavesIt) {
    WinFileSystem fs;
    const std::string target = TempFilePath("vm_move_target.txt");
    const std::string source = TempFilePath("vm_move_source.txt");
    WriteFileText(target, "old");
    WriteFileText(source, "new");
    uint32_t error = 0;
    ASSERT_TRUE(fs.MoveOver(source, target, &error));
    EXPECT_EQ(ReadFileText(target), "new");
    EXPECT_FALSE(fs.Exists(source));
    EXPECT_FALSE(fs.MoveOver(source, target, &error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadFileText(target), "new");
    fs.Remove(target);
}

TEST(WinProfileFiles, NotepadUnicodeConfigurationLoadsAndIsSavedAsEightBitText) {
    SystemCodePageScope codePage;
    WinFileSystem fs;
    test::ConfigOnFile config(fs, TempFilePath("vm_unicode.cfg"));
    const std::string& path = config.session.path;
    WriteFileText(path, test::Utf16File(u"[General]\r\nAutoStopTime=9\r\nShowGridLines=1\r\n"
                                        u"NumOfDownloads=1\r\n[Download0]\r\nURL=http://a/x\r\n"
                                        u"DownloadName=Caf\u00E9\r\n"));
    ASSERT_EQ(config.Load(), ConfigResult::Done);
    EXPECT_EQ(config.settings.AutoStopTime, 9);
    EXPECT_EQ(config.settings.ShowGridLines, 1);
    ASSERT_EQ(config.items.size(), 1u);
    EXPECT_EQ(config.items[0].url, "http://a/x");
    const std::string name = SystemCodePage().FromUtf16(u"Caf\u00E9");
    EXPECT_EQ(config.items[0].name, name);

    ASSERT_EQ(config.Save(), ConfigResult::Done);
    const std::string saved = ReadFileText(path);
    EXPECT_EQ(saved.rfind("[General]\r\nShowGridLines=1\r\n", 0), 0u);
    EXPECT_NE(saved.find("AutoStopTime=9\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[Download0]\r\nURL=http://a/x\r\nDownloadName=" + name + "\r\n"),
              std::string::npos);
    // The platform's own profile reader agrees with what was written.
    EXPECT_EQ(GetPrivateProfileIntA("General", "AutoStopTime", 0, path.c_str()), 9);
    fs.Remove(path);
}

TEST(WinProfileFiles, UnicodeTranslationFileIsReadAndSavedInUnicode) {
    SystemCodePageScope codePage;
    WinFileSystem fs;
    const std::string path = TempFilePath("vm_unicode_lng.ini");
    const std::u16string text = u"; \u0416\r\n\r\n[strings]\r\n1008 = Zustand\r\n";
    WriteFileText(path, test::Utf16File(text));
    LanguageFile file;
    ASSERT_TRUE(file.Load(fs, path));
    std::string value;
    ASSERT_TRUE(file.ReadString(1008, &value));
    EXPECT_EQ(value, "Zustand");

    ASSERT_EQ(SaveLanguageFile(fs, path, "1.27", nullptr), LanguageSaveResult::Done);
    const std::string saved = ReadFileText(path);
    EXPECT_EQ(saved.rfind(test::Utf16File(text), 0), 0u);  // U+0416 kept, though no ANSI text
    wchar_t read[64] = {};
    GetPrivateProfileStringW(L"general", L"Version", L"", read, 64,
                             std::wstring(path.begin(), path.end()).c_str());
    EXPECT_STREQ(read, L"1.27");
    fs.Remove(path);
}

}  // namespace
}  // namespace vm
