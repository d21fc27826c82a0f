#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/ArgumentList.h"
#include "app/MainWindow.h"
#include "app/StartupOptions.h"
#include "ui/ShellUtil.h"

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
    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    InitCommonControlsEx(&init);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string exportFile = std::string(temp) + "vm_export_close.txt";
    const std::string html = ReportFolder() + "\\testreport.html";
    const std::string text = ReportFolder() + "\\testreport.txt";

    ArgumentList arguments;
    arguments.Parse("/nosaveload /stext \"" + exportFile + "\"");
    const StartupOptions options = ReadStartupOptions(arguments);
    MainWindow window(arguments, options);
    ASSERT_TRUE(window.Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480));
    Touch(html);
    Touch(text);
    DestroyWindow(window.Handle());
    EXPECT_FALSE(FileExists(html));
    EXPECT_FALSE(FileExists(text));

    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
    DeleteFileA(exportFile.c_str());
}

}  // namespace
}  // namespace vm
