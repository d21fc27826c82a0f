#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

// A visible export run can write the scratch reports from its menu; closing its window
// must not leave them behind, as a normal session's close does not.
TEST(ExportWindowClose, DeletesTheScratchReports) {
    const std::string exportFile = TempFilePath("vm_export_close.txt");
    const std::string html = ReportFolder() + "\\testreport.html";
    const std::string text = ReportFolder() + "\\testreport.txt";

    TestMainWindow window("/nosaveload /stext \"" + exportFile + "\"");
    ASSERT_TRUE(window.Open());
    Touch(html);
    Touch(text);
    window.Close();
    EXPECT_FALSE(FileExists(html));
    EXPECT_FALSE(FileExists(text));
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
