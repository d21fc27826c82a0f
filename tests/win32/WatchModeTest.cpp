#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "resource.h"

namespace vm {
namespace {

void PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done() && GetTickCount() - start < timeoutMs) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

size_t LinesWith(const std::string& path, const std::string& text) {
    std::ifstream file(path);
    size_t count = 0;
    for (std::string line; std::getline(file, line);) count += line.find(text) != std::string::npos;
    return count;
}

// The window's watch driven through its command ids: closed to the notification area, a
// Run Now from the icon's menu adds a run to the history, Exit ends it.
TEST(WatchMode, ClosedToTheNotificationAreaRunNowAndExit) {
    const std::string history = TempFilePath("watch-mode-history.jsonl");
    DeleteFileA(history.c_str());
    TestMainWindow main("/nosaveload /RunEveryMinutes 1 /history " + history);
    ASSERT_TRUE(main.Open());
    MainWindow& window = main.Window();
    PumpUntil([&] { return !window.IsRunning(); }, 10000);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    window.List().AddItem(DownloadItem(self, "self", 0));
    SendMessageA(window.Handle(), WM_RESYNC_LIST, 0, 0);
    PumpUntil([] { return false; }, 400);  // a timer step writes the time to the next run
    char status[256] = {};
    SendMessageA(GetDlgItem(window.Handle(), IDC_STATUSBAR), SB_GETTEXTA, 0,
                 reinterpret_cast<LPARAM>(status));
    // A minute from the start of the first run, rounded up to whole seconds.
    const std::string text = status;
    EXPECT_TRUE(text.find("Next run in 1:00") != std::string::npos ||
                text.find("Next run in 0:5") != std::string::npos)
        << text;

    ShowWindow(window.Handle(), SW_SHOW);
    SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window.Handle()));
    EXPECT_FALSE(IsWindowVisible(window.Handle()));

    SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(ID_TRAY_RUN_NOW, 0), 0);
    PumpUntil([&] { return !window.IsRunning() && LinesWith(history, "\"self\"") > 0; }, 30000);
    EXPECT_EQ(LinesWith(history, "\"self\""), 1u);
    EXPECT_NE(LinesWith(history, "\"alerts\":[]"), 0u);

    const HWND handle = window.Handle();
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(ID_TRAY_EXIT, 0), 0);
    PumpUntil([&] { return !IsWindow(handle); }, 5000);
    EXPECT_FALSE(IsWindow(handle));
    DeleteFileA(history.c_str());
}

}  // namespace
}  // namespace vm
