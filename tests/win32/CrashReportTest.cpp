#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "resource.h"
#include "win32/window/CrashReport.h"
#include "win32/window/FrameWindow.h"

namespace vm {
namespace {

// Faults raised on purpose inside a handler of a framework window, so the guard, the crash
// report and the way back are exercised as a user meets them.
constexpr UINT kFaultMessage = WM_APP + 40;
constexpr WPARAM kWriteNowhere = 1;
constexpr WPARAM kJumpNowhere = 2;
int* volatile gNowhere = nullptr;

class FaultyWindow : public FrameWindow {
public:
    FaultyWindow() : FrameWindow("VelocimarkCrashTest", nullptr) {
        Create("Crash", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
    }
    ~FaultyWindow() override { DestroyWindow(Handle()); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kFaultMessage) return Dispatch(message, wParam, lParam);
        ++faults;
        if (wParam == kWriteNowhere) *gNowhere = 1;
        if (wParam == kJumpNowhere) reinterpret_cast<void (*)()>(0x10)();
        return 7;
    }
    LRESULT Fault(WPARAM kind) { return SendMessageA(Handle(), kFaultMessage, kind, 0); }
    int faults = 0;
};

std::string Line(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* chars = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (chars != nullptr) text = chars;
    if (chars != nullptr) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

TEST(CrashReport, NamesTheFaultAndContinueKeepsTheWindowServing) {
    struct Case {
        WPARAM kind;
        const char* module;
        size_t codeLineLength;  // "Code Data: " and 128 bytes, or nothing when unreadable
    };
    const Case cases[] = {{kWriteNowhere, "win32_tests.exe", 11 + 128 * 3 - 1},
                          {kJumpNowhere, "{Unknown}", 11}};
    FaultyWindow window;
    for (const Case& c : cases) {
        std::string report;
        std::string copied;
        char caption[32] = {};
        WhenDialogOpens([&](HWND dialog) {
            GetWindowTextA(dialog, caption, sizeof caption);
            report = ItemText(dialog, IDC_CRASH_TEXT);
            ClickButton(dialog, IDC_COPY_EXCEPTION);
            copied = ClipboardText();
            ClickButton(dialog, kCrashContinue);
        });
        EXPECT_EQ(0, window.Fault(c.kind));
        EXPECT_STREQ("Exception !", caption);
        EXPECT_EQ(report, copied);
        const std::string first = Line(report, 0);
        ASSERT_EQ(0u, first.find("Exception C0000005 at address ")) << report;
        EXPECT_EQ(std::string(" in module ") + c.module, first.substr(38));
        EXPECT_EQ("Registers: ", Line(report, 1));
        EXPECT_EQ(0u, Line(report, 2).find("EAX="));
        EXPECT_EQ(0u, Line(report, 3).find("ESI="));
        EXPECT_EQ("EIP=" + first.substr(30, 8), Line(report, 4));
        // 128 stack bytes in groups of four: two leading spaces, three between groups.
        EXPECT_EQ(0u, Line(report, 5).find("Stack Data:   "));
        EXPECT_EQ(12u + 128 * 3 - 1 + 2 * 32, Line(report, 5).size());
        EXPECT_EQ(c.codeLineLength, Line(report, 6).size());
    }
    EXPECT_EQ(kCrashContinue, LastCrashDialogResult());
    EXPECT_EQ(7, window.Fault(0));
    EXPECT_EQ(3, window.faults);
}

BOOL CALLBACK CountDialogs(HWND window, LPARAM count) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(CrashReport, FaultWhileTheReportIsOpenIsAbsorbedWithoutSecondReport) {
    FaultyWindow window;
    int dialogs = 0;
    LRESULT secondResult = -1;
    WhenDialogOpens([&](HWND dialog) {
        secondResult = window.Fault(kWriteNowhere);
        EnumThreadWindows(GetCurrentThreadId(), CountDialogs, reinterpret_cast<LPARAM>(&dialogs));
        ClickButton(dialog, kCrashContinue);
    });
    EXPECT_EQ(0, window.Fault(kWriteNowhere));
    EXPECT_EQ(0, secondResult);
    EXPECT_EQ(1, dialogs);
    EXPECT_EQ(2, window.faults);
}

// Terminate, and the close box (which reports the same button), end the process at once
// with exit code 1.
void FaultAndClose(bool closeBox) {
    FaultyWindow window;
    WhenDialogOpens([=](HWND dialog) {
        if (closeBox) SendMessageA(dialog, WM_CLOSE, 0, 0);
        ClickButton(dialog, kCrashTerminate);
    });
    window.Fault(kWriteNowhere);
    ExitProcess(5);
}

TEST(CrashReportDeathTest, TerminateEndsTheProcessWithCodeOne) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(FaultAndClose(false), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(FaultAndClose(true), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace vm
