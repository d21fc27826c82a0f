#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DialogDriver.h"
#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "core/lang/LanguageFile.h"
#include "resource.h"
#include "win32/lang/MenuLoading.h"
#include "win32/lang/ResourceLanguageTexts.h"
#include "win32/lang/WinVersionResource.h"
#include "win32/platform/WinFileSystem.h"
#include "win32/window/DialogBase.h"

namespace vm {
namespace {

constexpr int kExchangeTemplate = 9001;  // tests/win32/test_dialogs.rc
int* volatile gNowhere = nullptr;

class ProbeDialog : public CommandDialog {
public:
    explicit ProbeDialog(bool faultAtInit = false)
        : CommandDialog(kExchangeTemplate), faultAtInit_(faultAtInit) {}
    INT_PTR OnInitDialog() override {
        if (faultAtInit_) *gNowhere = 3;
        SetDlgItemTextA(Handle(), 1001, "set by the dialog");
        return CommandDialog::OnInitDialog();
    }
    // Opens the dialog, lets the probe look at it and cancels.
    void Probe(std::function<void(HWND)> look) {
        WhenDialogOpens([=](HWND hwnd) {
            look(hwnd);
            ClickButton(hwnd, IDCANCEL);
        });
        DoModal(nullptr);
    }

private:
    bool faultAtInit_;
};

// A translation file beside a pretend program in the temporary folder, active for one test;
// and the main window made and closed under it.
class TranslatedTest : public ::testing::Test {
protected:
    void Activate(const std::string& text) {
        WriteFileText(TempFilePath("vm_lang_test_lng.ini"), text);
        WinFileSystem files;
        ASSERT_TRUE(LoadLanguageFile(files, TempFilePath("vm_lang_test.exe")));
    }
    void TearDown() override {
        UnloadLanguageFileForTesting();
        DeleteFileA(TempFilePath("vm_lang_test_lng.ini").c_str());
    }
    void WithMainWindow(std::function<void(HWND)> look) {
        TestMainWindow window;
        ASSERT_TRUE(window.Open());
        look(window.Handle());
    }
};

std::string MenuText(HMENU menu, UINT item, UINT flags) {
    char text[256] = {};
    GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
}

TEST_F(TranslatedTest, MenusAndDialogsShowTheFileTexts) {
    Activate(
        "[menu_102]\r\n70001=&Datei\r\n40036=&Los\r\n40037=\r\n[menu_104]\r\n40041=&Aus\r\n"
        "[dialog_9001]\r\ncaption=Austausch\r\n1003=Kasten\r\n1001=vom File\r\n2=Abbruch\r\n");
    WithMainWindow([](HWND window) {
        HMENU bar = GetMenu(window);
        EXPECT_EQ("&Datei", MenuText(bar, 0, MF_BYPOSITION));
        EXPECT_EQ("&Los\tF2", MenuText(bar, ID_START_TEST, MF_BYCOMMAND));
        EXPECT_EQ("S&top Downloads Test\tF3", MenuText(bar, ID_STOP_TEST, MF_BYCOMMAND));
        EXPECT_EQ("&Edit", MenuText(bar, 1, MF_BYPOSITION));
        EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    });
    HMENU context = LoadTranslatedMenu(IDR_CONTEXTMENU);
    EXPECT_EQ("&Aus\tF7", MenuText(context, ID_DISABLE_SELECTED, MF_BYCOMMAND));
    DestroyMenu(context);

    std::string texts;
    ProbeDialog().Probe([&](HWND dialog) {
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        texts = std::string(caption) + "|" + ItemText(dialog, 1003) + "|" +
                ItemText(dialog, IDCANCEL) + "|" + ItemText(dialog, 1001);
    });
    // The dialog's own texts come after the file's.
    EXPECT_EQ("Austausch|Kasten|Abbruch|set by the dialog", texts);
}

TEST_F(TranslatedTest, RightToLeftMirrorsTheMainWindowAndDialogs) {
    RECT client = {};
    RECT before = {};
    ProbeDialog().Probe([&](HWND dialog) {
        GetClientRect(dialog, &client);
        before = ChildRect(dialog, IDOK);
    });

    Activate("[general]\r\nrtl=1\r\n");
    WithMainWindow(
        [](HWND window) { EXPECT_NE(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL); });
    RECT after = {};
    LONG styles = WS_EX_LAYOUTRTL;
    ProbeDialog().Probe([&](HWND dialog) {
        HWND ok = GetDlgItem(dialog, IDOK);
        styles &= GetWindowLongA(dialog, GWL_EXSTYLE) & GetWindowLongA(ok, GWL_EXSTYLE);
        GetWindowRect(ok, &after);
        POINT origin = {0, 0};
        ClientToScreen(dialog, &origin);  // a mirrored client area starts at its right edge
        OffsetRect(&after, client.right - origin.x, 0);
    });
    EXPECT_EQ(WS_EX_LAYOUTRTL, styles);
    EXPECT_EQ(client.right - before.right, after.left);
    EXPECT_EQ(before.right - before.left, after.right - after.left);

    // A dialog whose initialisation faults is mirrored all the same once the user continues.
    LONG faultyStyle = 0;
    WhenDialogOpens([&](HWND report) {
        WhenDialogOpens([&](HWND dialog) {
            faultyStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
            ClickButton(dialog, IDCANCEL);
        });
        ClickButton(report, IDOK);  // Continue
    });
    ProbeDialog(true).DoModal(nullptr);
    EXPECT_NE(0, faultyStyle & WS_EX_LAYOUTRTL);
}

// The saved file: menus, then dialogs (not the crash report), then the strings.
TEST(SavedLanguageFile, HoldsEveryMenuAndDialogAndKeepsTranslations) {
    const std::string path = TempFilePath("vm_saved_lng.ini");
    DeleteFileA(path.c_str());
    WinFileSystem files;
    ResourceLanguageTexts resources(GetModuleHandleA(nullptr));
    ASSERT_EQ(LanguageSaveResult::Done, SaveLanguageFile(files, path, "1.27", &resources));
    const std::string saved = ReadFileText(path);
    const size_t positions[] = {
        saved.find("\r\n[menu_102]\r\n70001=&File\r\n40036=&Start Downloads Test\r\n"),
        saved.find("\r\n[menu_104]\r\n70001=Context\r\n40041=&Disable"),
        saved.find("\r\n[dialog_9001]\r\ncaption=Exchange\r\n1003=Check\r\n1=OK\r\n2=Cancel\r\n"),
        saved.find("\r\n[strings]\r\n")};
    for (size_t i = 0; i < 4; ++i) EXPECT_NE(std::string::npos, positions[i]) << i;
    for (size_t i = 1; i < 4; ++i) EXPECT_LT(positions[i - 1], positions[i]) << i;
    EXPECT_EQ(std::string::npos, saved.find("[dialog_107]"));
    EXPECT_EQ(std::string::npos, saved.find("\tF2"));
    // Add File's filter name, and a text whose trailing space a mirrored dialog hides (the
    // quotes keep it).
    EXPECT_NE(std::string::npos, saved.find("\r\n2000=All Files\r\n"));
    EXPECT_NE(std::string::npos,
              saved.find("\r\n1020=\"When a download fails, retry up to \"\r\n"));

    std::string edited = saved;
    edited.replace(edited.find("=&Start Downloads Test"), 22, "=&Los");
    edited.replace(edited.find("Version=1.27"), 12, "Version=0.1");
    WriteFileText(path, edited);
    ASSERT_EQ(LanguageSaveResult::Done, SaveLanguageFile(files, path, "1.27", &resources));
    edited.replace(edited.find("Version=0.1"), 11, "Version=1.27");
    EXPECT_EQ(edited, ReadFileText(path));
    DeleteFileA(path.c_str());
}

// The program itself: "/savelangfile" twice beside a copy of velocimark.exe.
TEST(SavedLanguageFile, ProgramSwitchWritesTheSameFileTwice) {
    const char* exe = std::getenv("VM_EXE");
    if (exe == nullptr) GTEST_SKIP() << "VM_EXE names no program file";
    const std::string copy = TempFilePath("vm_savelang.exe");
    const std::string lng = TempFilePath("vm_savelang_lng.ini");
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
    WinVersionResource version(exe);  // the program's own file version
    EXPECT_NE(std::string::npos, texts[0].find("\r\nVersion=" + FileVersionText(version) + "\r\n"));
    EXPECT_NE(std::string::npos, texts[0].find("\r\n[menu_104]\r\n"));
    DeleteFileA(copy.c_str());
    DeleteFileA(lng.c_str());
}

}  // namespace
}  // namespace vm
