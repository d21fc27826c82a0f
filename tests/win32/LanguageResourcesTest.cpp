#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "DialogDriver.h"
#include "app/ArgumentList.h"
#include "app/MainWindow.h"
#include "app/StartupOptions.h"
#include "lang/LanguageFile.h"
#include "lang/MenuLoading.h"
#include "lang/ResourceLanguageTexts.h"
#include "platform/WinFileSystem.h"
#include "resource.h"
#include "ui/DialogBase.h"

namespace vm {
namespace {

constexpr int kExchangeTemplate = 9001;  // tests/win32/test_dialogs.rc

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

std::string ReadFileText(const std::string& path) {
    WinFileSystem files;
    std::string text;
    uint32_t error = 0;
    files.ReadWhole(path, 1 << 20, &text, &error);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
    WinFileSystem files;
    uint32_t error = 0;
    auto out = files.CreateForWriting(path, &error);
    ASSERT_NE(out, nullptr);
    out->Write(text);
    ASSERT_TRUE(out->Close());
}

// A translation file beside a pretend program in the temporary folder, active for one test.
class TranslatedTest : public ::testing::Test {
protected:
    void Activate(const std::string& text) {
        const std::string exe = TempFolder() + "vm_lang_test.exe";
        lngPath_ = TempFolder() + "vm_lang_test_lng.ini";
        WriteFileText(lngPath_, text);
        WinFileSystem files;
        ASSERT_TRUE(LoadLanguageFile(files, exe));
    }
    void TearDown() override {
        UnloadLanguageFileForTesting();
        DeleteFileA(lngPath_.c_str());
    }
    std::string lngPath_;
};

class PlainDialog : public CommandDialog {
public:
    PlainDialog() : CommandDialog(kExchangeTemplate) {}
    INT_PTR OnInitDialog() override {
        SetDlgItemTextA(Handle(), 1001, "set by the dialog");
        return CommandDialog::OnInitDialog();
    }
};

// The main window posts the quit message as it closes; a modal loop would end on it.
void DropQuitMessage() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

int* volatile gNowhere = nullptr;

class FaultyInitDialog : public CommandDialog {
public:
    FaultyInitDialog() : CommandDialog(kExchangeTemplate) {}
    INT_PTR OnInitDialog() override {
        *gNowhere = 3;
        return CommandDialog::OnInitDialog();
    }
};

std::string MenuText(HMENU menu, UINT item, UINT flags) {
    char text[256] = {};
    GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
}

TEST_F(TranslatedTest, MenusAndDialogsShowTheFileTexts) {
    Activate(
        "[menu_102]\r\n70001=&Datei\r\n40036=&Los\r\n40037=\r\n"
        "[menu_104]\r\n40041=&Aus\r\n"
        "[dialog_9001]\r\ncaption=Austausch\r\n1003=Kasten\r\n1001=vom File\r\n2=Abbruch\r\n");
    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    InitCommonControlsEx(&init);
    ArgumentList arguments;
    arguments.Parse("/nosaveload");
    const StartupOptions options = ReadStartupOptions(arguments);
    {
        MainWindow window(arguments, options);
        ASSERT_TRUE(window.Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480));
        HMENU bar = GetMenu(window.Handle());
        EXPECT_EQ("&Datei", MenuText(bar, 0, MF_BYPOSITION));
        EXPECT_EQ("&Los\tF2", MenuText(bar, ID_START_TEST, MF_BYCOMMAND));
        EXPECT_EQ("S&top Downloads Test\tF3", MenuText(bar, ID_STOP_TEST, MF_BYCOMMAND));
        EXPECT_EQ("&Edit", MenuText(bar, 1, MF_BYPOSITION));
        EXPECT_EQ(0, GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
        DestroyWindow(window.Handle());
    }
    DropQuitMessage();
    HMENU context = LoadTranslatedMenu(IDR_CONTEXTMENU);
    EXPECT_EQ("&Aus\tF7", MenuText(context, ID_DISABLE_SELECTED, MF_BYCOMMAND));
    EXPECT_EQ(ID_DISABLE_SELECTED, static_cast<int>(GetMenuItemID(GetSubMenu(context, 0), 0)));
    DestroyMenu(context);

    PlainDialog dialog;
    std::string caption;
    std::string check;
    std::string cancel;
    std::string edit;
    WhenDialogOpens([&](HWND hwnd) {
        char text[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        caption = text;
        check = ItemText(hwnd, 1003);
        cancel = ItemText(hwnd, IDCANCEL);
        edit = ItemText(hwnd, 1001);
        ClickButton(hwnd, IDCANCEL);
    });
    dialog.DoModal(nullptr);
    EXPECT_EQ("Austausch", caption);
    EXPECT_EQ("Kasten", check);
    EXPECT_EQ("Abbruch", cancel);
    EXPECT_EQ("set by the dialog", edit);  // the dialog's own texts come after the file's
}

TEST_F(TranslatedTest, RightToLeftMirrorsTheMainWindowAndDialogs) {
    Activate("[general]\r\nRTL=1\r\n");
    ArgumentList arguments;
    arguments.Parse("/nosaveload");
    const StartupOptions options = ReadStartupOptions(arguments);
    {
        MainWindow window(arguments, options);
        ASSERT_TRUE(window.Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480));
        EXPECT_NE(0, GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
        DestroyWindow(window.Handle());
    }
    DropQuitMessage();

    // Where the OK button sits in the template, left to right, and where it is mirrored.
    PlainDialog plain;
    RECT client = {};
    RECT before = {};
    HWND probe = nullptr;
    UnloadLanguageFileForTesting();
    WhenDialogOpens([&](HWND hwnd) {
        GetClientRect(hwnd, &client);
        GetWindowRect(GetDlgItem(hwnd, IDOK), &before);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&before), 2);
        ClickButton(hwnd, IDCANCEL);
    });
    plain.DoModal(nullptr);
    Activate("[general]\r\nrtl=1\r\n");

    PlainDialog mirrored;
    RECT after = {};
    LONG dialogStyle = 0;
    LONG buttonStyle = 0;
    WhenDialogOpens([&](HWND hwnd) {
        probe = GetDlgItem(hwnd, IDOK);
        dialogStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
        buttonStyle = GetWindowLongA(probe, GWL_EXSTYLE);
        RECT dialogRect;
        GetWindowRect(probe, &after);
        GetClientRect(hwnd, &dialogRect);
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);  // a mirrored client area starts at its right edge
        after.left -= origin.x - dialogRect.right;
        after.right -= origin.x - dialogRect.right;
        ClickButton(hwnd, IDCANCEL);
    });
    mirrored.DoModal(nullptr);
    EXPECT_NE(0, dialogStyle & WS_EX_LAYOUTRTL);
    EXPECT_NE(0, buttonStyle & WS_EX_LAYOUTRTL);
    EXPECT_EQ(client.right - before.right, after.left);
    EXPECT_EQ(before.right - before.left, after.right - after.left);

    // A dialog whose initialisation faults is still mirrored once the user continues.
    FaultyInitDialog faulty;
    LONG faultyStyle = 0;
    WhenDialogOpens([&](HWND report) {
        WhenDialogOpens([&](HWND hwnd) {
            faultyStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
            ClickButton(hwnd, IDCANCEL);
        });
        ClickButton(report, IDOK);  // Continue
    });
    faulty.DoModal(nullptr);
    EXPECT_NE(0, faultyStyle & WS_EX_LAYOUTRTL);
}

// The saved file: menus, then dialogs (not the crash report), then the strings.
TEST(SavedLanguageFile, HoldsEveryMenuAndDialogAndASecondSaveChangesNothing) {
    const std::string path = TempFolder() + "vm_saved_lng.ini";
    DeleteFileA(path.c_str());
    WinFileSystem files;
    ResourceLanguageTexts resources(GetModuleHandleA(nullptr));
    ASSERT_EQ(LanguageSaveResult::kDone, SaveLanguageFile(files, path, "1.27", &resources));
    const std::string first = ReadFileText(path);
    ASSERT_EQ(LanguageSaveResult::kDone, SaveLanguageFile(files, path, "1.27", &resources));
    EXPECT_EQ(first, ReadFileText(path));

    const size_t menu = first.find("\r\n[menu_102]\r\n70001=&File\r\n40036=&Start Downloads Test\r\n");
    const size_t context = first.find("\r\n[menu_104]\r\n70001=Context\r\n40041=&Disable");
    const size_t dialog = first.find("\r\n[dialog_9001]\r\ncaption=Exchange\r\n1003=Check\r\n1=OK\r\n2=Cancel\r\n");
    const size_t strings = first.find("\r\n[strings]\r\n");
    EXPECT_NE(std::string::npos, menu);
    EXPECT_LT(menu, context);
    EXPECT_LT(context, dialog);
    EXPECT_LT(dialog, strings);
    EXPECT_NE(std::string::npos, strings);
    EXPECT_EQ(std::string::npos, first.find("[dialog_107]"));
    EXPECT_EQ(std::string::npos, first.find("\tF2"));

    // A translated text survives; only the version is rewritten.
    std::string edited = first;
    edited.replace(edited.find("=&Start Downloads Test"), 22, "=&Los");
    edited.replace(edited.find("Version=1.27"), 12, "Version=0.1");
    WriteFileText(path, edited);
    ASSERT_EQ(LanguageSaveResult::kDone, SaveLanguageFile(files, path, "1.27", &resources));
    std::string expected = edited;
    expected.replace(expected.find("Version=0.1"), 11, "Version=1.27");
    EXPECT_EQ(expected, ReadFileText(path));
    DeleteFileA(path.c_str());
}

// The program itself: "/savelangfile" twice beside a copy of velocimark.exe.
TEST(SavedLanguageFile, ProgramSwitchWritesTheSameFileTwice) {
    const char* exe = std::getenv("VM_EXE");
    if (exe == nullptr) GTEST_SKIP() << "VM_EXE names no program file";
    const std::string copy = TempFolder() + "vm_savelang.exe";
    const std::string lng = TempFolder() + "vm_savelang_lng.ini";
    ASSERT_TRUE(CopyFileA(exe, copy.c_str(), FALSE));
    DeleteFileA(lng.c_str());
    std::string texts[2];
    for (std::string& text : texts) {
        std::string command = "\"" + copy + "\" /savelangfile";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process));
        WaitForSingleObject(process.hProcess, 30000);
        DWORD code = 99;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(0u, code);
        text = ReadFileText(lng);
    }
    EXPECT_EQ(texts[0], texts[1]);
    EXPECT_NE(std::string::npos, texts[0].find("\r\nVersion=1.27\r\n"));
    EXPECT_NE(std::string::npos, texts[0].find("\r\n[menu_104]\r\n"));
    EXPECT_EQ(std::string::npos, texts[0].find("[dialog_107]"));
    DeleteFileA(copy.c_str());
    DeleteFileA(lng.c_str());
}

}  // namespace
}  // namespace vm
