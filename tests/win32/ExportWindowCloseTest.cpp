#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Files named like the scratch reports that this process did not create are the user's:
// closing the window leaves them, byte for byte (the menu's quick reports that it did
// create are removed; ScratchReports' tests hold that rule).
TEST(ExportWindowClose, LeavesScratchNamedFilesItDidNotCreate) {
    const std::string exportFile = TempFilePath("vm_export_close.txt");
    const std::string html = ReportFolder() + "\\testreport.html";
    const std::string text = ReportFolder() + "\\testreport.txt";

    TestMainWindow window("/nosaveload /stext \"" + exportFile + "\"");
    ASSERT_TRUE(window.Open());
    WriteBytes(html, "<p>the user's page</p>");
    WriteBytes(text, "the user's notes");
    window.Close();
    EXPECT_EQ(ReadFileText(html), "<p>the user's page</p>");
    EXPECT_EQ(ReadFileText(text), "the user's notes");
    DeleteFileA(html.c_str());
    DeleteFileA(text.c_str());
    DeleteFileA(exportFile.c_str());
}

// An export named like a scratch report is the run's result: closing keeps it.
TEST(ExportWindowClose, KeepsAnExportNamedLikeAScratchReport) {
    const std::string text = ReportFolder() + "\\testreport.txt";
    DeleteFileA(text.c_str());
    TestMainWindow window("/nosaveload /stext testreport.txt");
    ASSERT_TRUE(window.Open());
    ASSERT_TRUE(FileExists(text));  // an empty list's run ends, and is written, at once
    window.Close();
    EXPECT_TRUE(FileExists(text));
    DeleteFileA(text.c_str());
}

}  // namespace
}  // namespace vm
