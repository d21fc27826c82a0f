#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/PersistConfig.h"
#include "lang/LanguageFile.h"
#include "platform/WinCodePage.h"
#include "platform/WinFileSystem.h"

namespace vm {
namespace {

std::string TempPath(const char* name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

std::string ReadAll(WinFileSystem& fs, const std::string& path) {
    std::string content;
    uint32_t error = 0;
    EXPECT_TRUE(fs.ReadWhole(path, 1 << 24, &content, &error)) << path;
    return content;
}

void WriteAll(WinFileSystem& fs, const std::string& path, const std::string& content) {
    uint32_t error = 0;
    auto file = fs.CreateForWriting(path, &error);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->Write(content));
    ASSERT_TRUE(file->Close());
}

// The bytes Notepad writes when it saves "Unicode": FF FE, then UTF-16LE.
std::string NotepadUnicode(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

class SystemCodePageScope {
public:
    SystemCodePageScope() { SetSystemCodePage(&codePage_); }
    ~SystemCodePageScope() { SetSystemCodePage(nullptr); }

private:
    WinCodePage codePage_;
};

TEST(WinFileSystem, MoveOverReplacesTheTargetOrLeavesIt) {
    WinFileSystem fs;
    const std::string target = TempPath("vm_move_target.txt");
    const std::string source = TempPath("vm_move_source.txt");
    WriteAll(fs, target, "old");
    WriteAll(fs, source, "new");
    uint32_t error = 0;
    ASSERT_TRUE(fs.MoveOver(source, target, &error));
    EXPECT_EQ(ReadAll(fs, target), "new");
    EXPECT_FALSE(fs.Exists(source));
    EXPECT_FALSE(fs.MoveOver(source, target, &error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadAll(fs, target), "new");
    fs.Remove(target);
}

TEST(WinProfileFiles, NotepadUnicodeConfigurationLoadsAndIsSavedAsEightBitText) {
    SystemCodePageScope codePage;
    WinFileSystem fs;
    ConfigSession session;
    session.fileSystem = &fs;
    session.path = TempPath("vm_unicode.cfg");
    WriteAll(fs, session.path,
             NotepadUnicode(L"[General]\r\nAutoStopTime=9\r\nShowGridLines=1\r\nNumOfDownloads=1\r\n"
                            L"[Download0]\r\nURL=http://a/x\r\nDownloadName=Caf\u00E9\r\n"));
    AppSettings settings;
    std::vector<DownloadItem> items;
    ConfigParts parts;
    parts.settings = &settings;
    parts.items = &items;
    ASSERT_EQ(PersistConfig(session, parts, false), ConfigResult::kDone);
    EXPECT_EQ(settings.AutoStopTime, 9);
    EXPECT_EQ(settings.ShowGridLines, 1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].url, "http://a/x");
    const std::string name = SystemCodePage().FromUtf16(u"Caf\u00E9");
    EXPECT_EQ(items[0].name, name);

    ASSERT_EQ(PersistConfig(session, parts, true), ConfigResult::kDone);
    const std::string saved = ReadAll(fs, session.path);
    EXPECT_EQ(saved.rfind("[General]\r\nShowGridLines=1\r\n", 0), 0u);
    EXPECT_NE(saved.find("AutoStopTime=9\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[Download0]\r\nURL=http://a/x\r\nDownloadName=" + name + "\r\n"),
              std::string::npos);
    // The platform's own profile reader agrees with what was written.
    EXPECT_EQ(GetPrivateProfileIntA("General", "AutoStopTime", 0, session.path.c_str()), 9);
    fs.Remove(session.path);
}

TEST(WinProfileFiles, UnicodeTranslationFileIsReadAndSavedInUnicode) {
    SystemCodePageScope codePage;
    WinFileSystem fs;
    const std::string path = TempPath("vm_unicode_lng.ini");
    const std::wstring text = L"; \u0416\r\n\r\n[strings]\r\n1008 = Zustand\r\n";
    WriteAll(fs, path, NotepadUnicode(text));
    LanguageFile file;
    ASSERT_TRUE(file.Load(fs, path));
    std::string value;
    ASSERT_TRUE(file.ReadString(1008, &value));
    EXPECT_EQ(value, "Zustand");

    ASSERT_EQ(SaveLanguageFile(fs, path, "1.27", nullptr), LanguageSaveResult::kDone);
    const std::string saved = ReadAll(fs, path);
    EXPECT_EQ(saved.rfind(NotepadUnicode(text), 0), 0u);  // U+0416 kept, though no ANSI text
    wchar_t read[64] = {};
    GetPrivateProfileStringW(L"general", L"Version", L"", read, 64,
                             std::wstring(path.begin(), path.end()).c_str());
    EXPECT_STREQ(read, L"1.27");
    fs.Remove(path);
}

}  // namespace
}  // namespace vm
