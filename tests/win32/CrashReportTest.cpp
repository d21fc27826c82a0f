#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "DialogDriver.h"
#include "diag/CrashReport.h"
#include "resource.h"
#include "ui/DialogBase.h"
#include "ui/FrameWindow.h"

namespace vm {
namespace {

// Faults raised on purpose inside a handler of a framework window, so the guard, the crash
// report and the way back are exercised as a user meets them.
constexpr UINT kFaultMessage = WM_APP + 40;
constexpr UINT kEchoMessage = WM_APP + 41;
constexpr WPARAM kWriteNowhere = 1;
constexpr WPARAM kJumpNowhere = 2;
constexpr uintptr_t kUnmappedCode = 0x10;

int* volatile gNowhere = nullptr;

class FaultyWindow : public FrameWindow {
public:
    FaultyWindow() : FrameWindow("VelocimarkCrashTest", nullptr) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kFaultMessage) {
            ++faultsRaised;
            if (wParam == kWriteNowhere) *gNowhere = 1;
            if (wParam == kJumpNowhere) reinterpret_cast<void (*)()>(kUnmappedCode)();
            return 7;
        }
        if (message == kEchoMessage) return 42;
        return Dispatch(message, wParam, lParam);
    }
    int faultsRaised = 0;
};

BOOL CALLBACK CountDialogs(HWND window, LPARAM count) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadDialogs() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountDialogs, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string Line(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index && start != std::string::npos; ++i) {
        start = text.find("\r\n", start);
        if (start != std::string::npos) start += 2;
    }
    if (start == std::string::npos) return "";
    return text.substr(start, text.find("\r\n", start) - start);
}

std::string Hex8(uintptr_t value) {
    char text[16];
    snprintf(text, sizeof text, "%8.8X", static_cast<unsigned>(value));
    return text;
}

class CrashReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Create("Crash", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200));
    }
    void TearDown() override { DestroyWindow(window_.Handle()); }

    // Raises the fault, reads the report and continues; the message's result is returned.
    LRESULT FaultAndContinue(WPARAM kind, std::string* report, std::string* caption) {
        WhenDialogOpens([=](HWND dialog) {
            *report = ItemText(dialog, IDC_CRASH_TEXT);
            char title[64] = {};
            GetWindowTextA(dialog, title, sizeof title);
            *caption = title;
            ClickButton(dialog, kCrashContinue);
        });
        return SendMessageA(window_.Handle(), kFaultMessage, kind, 0);
    }

    FaultyWindow window_;
};

TEST_F(CrashReportTest, ReportNamesTheFaultAndContinueKeepsTheWindowServing) {
    struct Case {
        WPARAM kind;
        std::string address;  // empty: any address inside the test program
        std::string module;
        size_t codeDumpLength;
    };
    const Case cases[] = {
        {kWriteNowhere, "", "win32_tests.exe", 128 * 3 - 1},
        {kJumpNowhere, Hex8(kUnmappedCode), "{Unknown}", 0},
    };
    for (const Case& c : cases) {
        std::string report;
        std::string caption;
        EXPECT_EQ(0, FaultAndContinue(c.kind, &report, &caption));
        EXPECT_EQ("Exception !", caption);
        const std::string first = Line(report, 0);
        ASSERT_EQ(0u, first.find("Exception C0000005 at address ")) << report;
        const std::string address = first.substr(30, 8);
        if (!c.address.empty()) {
            EXPECT_EQ(c.address, address);
        }
        EXPECT_EQ(" in module " + c.module, first.substr(38)) << report;
        EXPECT_EQ("Registers: ", Line(report, 1));
        EXPECT_EQ(0u, Line(report, 2).find("EAX=")) << report;
        EXPECT_EQ(0u, Line(report, 3).find("ESI=")) << report;
        EXPECT_EQ("EIP=" + address, Line(report, 4));
        // 128 bytes in groups of four: two leading spaces, three between groups.
        const std::string stack = Line(report, 5);
        EXPECT_EQ(std::string("Stack Data:   "), stack.substr(0, 14));
        EXPECT_EQ(12u + 128 * 3 - 1 + 2 * 32, stack.size());
        EXPECT_EQ(11u + c.codeDumpLength, Line(report, 6).size()) << Line(report, 6);
        EXPECT_EQ(report.size(), report.rfind("\r\n") + 2);
    }
    EXPECT_EQ(kCrashContinue, LastCrashDialogResult());
    EXPECT_EQ(42, SendMessageA(window_.Handle(), kEchoMessage, 0, 0));
    EXPECT_EQ(2, window_.faultsRaised);
}

TEST_F(CrashReportTest, FaultWhileTheReportIsOpenIsAbsorbedWithoutSecondReport) {
    int dialogsDuringSecondFault = -1;
    LRESULT secondResult = -1;
    WhenDialogOpens([&](HWND dialog) {
        secondResult = SendMessageA(window_.Handle(), kFaultMessage, kWriteNowhere, 0);
        dialogsDuringSecondFault = ThreadDialogs();
        ClickButton(dialog, kCrashContinue);
    });
    EXPECT_EQ(0, SendMessageA(window_.Handle(), kFaultMessage, kWriteNowhere, 0));
    EXPECT_EQ(0, secondResult);
    EXPECT_EQ(1, dialogsDuringSecondFault);
    EXPECT_EQ(0, ThreadDialogs());
    EXPECT_EQ(2, window_.faultsRaised);
}

TEST_F(CrashReportTest, CopyExceptionPutsTheReportOnTheClipboard) {
    std::string shown;
    std::string copied;
    WhenDialogOpens([&](HWND dialog) {
        shown = ItemText(dialog, IDC_CRASH_TEXT);
        ClickButton(dialog, IDC_COPY_EXCEPTION);
        if (OpenClipboard(nullptr)) {
            HANDLE data = GetClipboardData(CF_TEXT);
            const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
            if (text != nullptr) copied = text;
            if (data != nullptr) GlobalUnlock(data);
            CloseClipboard();
        }
        DWORD start = 1;
        DWORD end = 1;
        SendDlgItemMessageA(dialog, IDC_CRASH_TEXT, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                            reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(0u, end);
        ClickButton(dialog, kCrashContinue);
    });
    SendMessageA(window_.Handle(), kFaultMessage, kWriteNowhere, 0);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown, copied);
}

// A dialog whose button handler faults stays open after Continue.
class FaultyDialog : public CommandDialog {
public:
    FaultyDialog() : CommandDialog(IDD_CRASH_REPORT) {}
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_COPY_EXCEPTION) *gNowhere = 2;
        return CommandDialog::OnCommand(code, wParam, lParam);
    }
};

TEST(CrashGuardDialogTest, FaultInADialogHandlerLeavesTheDialogRunning) {
    FaultyDialog dialog;
    bool stillOpen = false;
    WhenDialogOpens([&](HWND hwnd) {
        WhenDialogOpens([](HWND report) { ClickButton(report, kCrashContinue); });
        ClickButton(hwnd, IDC_COPY_EXCEPTION);
        stillOpen = IsWindow(hwnd) != FALSE;
        ClickButton(hwnd, IDCANCEL);
    });
    EXPECT_FALSE(dialog.DoModal(nullptr));
    EXPECT_TRUE(stillOpen);
}

TEST(CrashReportModuleTest, ModuleOfAnAddressIsItsFileName) {
    EXPECT_EQ("win32_tests.exe",
              ModuleNameAt(static_cast<DWORD>(reinterpret_cast<uintptr_t>(&ThreadDialogs))));
    const auto kernel = reinterpret_cast<uintptr_t>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep")));
    EXPECT_STRCASEEQ("kernel32.dll", ModuleNameAt(static_cast<DWORD>(kernel)).c_str());
    EXPECT_EQ("{Unknown}", ModuleNameAt(0x10));
}

// Terminate (and Escape or the close box, which report the same button) ends the process
// at once with exit code 1.
void FaultAndClose(UINT closeMessage, WPARAM closeParam) {
    FaultyWindow window;
    window.Create("Crash", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
    WhenDialogOpens([=](HWND dialog) {
        if (closeMessage == WM_COMMAND) {
            ClickButton(dialog, static_cast<int>(closeParam));
        } else {
            SendMessageA(dialog, closeMessage, closeParam, 0);
        }
    });
    SendMessageA(window.Handle(), kFaultMessage, kWriteNowhere, 0);
    ExitProcess(5);
}

TEST(CrashReportDeathTest, TerminateAndCloseBoxEndTheProcessWithCodeOne) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(FaultAndClose(WM_COMMAND, kCrashTerminate), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(FaultAndClose(WM_CLOSE, 0), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace vm
