#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "core/lang/LanguageFile.h"
#include "resource.h"
#include "support/MemoryFileSystem.h"
#include "win32/dialogs/AboutDialog.h"

namespace vm {
namespace {

constexpr char kExe[] = "C:\\vm\\velocimark.exe";
constexpr char kLanguageFile[] = "C:\\vm\\velocimark_lng.ini";

struct Shown {
    std::string title;
    bool closedOnlyByOk = false;
    bool translatorVisible = false;
    std::string translator;
    bool translatorIsLink = false;  // has the link's font and asks for the hand cursor
};

Shown RunAbout() {
    AboutDialog dialog;
    dialog.SetTexts("Velocimark\r\nsecond line", "https://velocimark.example.org/");
    Shown shown;
    WhenDialogOpens([&](HWND hwnd) {
        // Escape, the close box and Alt+F4 all arrive as Cancel or a close request.
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        char title[64] = {};
        GetWindowTextA(hwnd, title, sizeof title);
        shown.title = title;
        HWND translator = GetDlgItem(hwnd, IDC_ABOUT_TRANSLATOR);
        shown.translatorVisible = IsWindowVisible(translator) != FALSE;
        shown.translator = ItemText(hwnd, IDC_ABOUT_TRANSLATOR);
        RECT rect;
        GetWindowRect(translator, &rect);
        POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ScreenToClient(hwnd, &centre);
        const bool hand = dialog.DialogProc(WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y)) == 1;
        const bool linkFont = SendMessageA(translator, WM_GETFONT, 0, 0) ==
                              SendDlgItemMessageA(hwnd, IDC_ABOUT_LINK, WM_GETFONT, 0, 0);
        shown.translatorIsLink = hand && linkFont;
        // Had Cancel ended the dialog, its loop would be over before this runs.
        WhenDialogOpens([&](HWND again) {
            shown.closedOnlyByOk = true;
            ClickButton(again, IDOK);
        });
    });
    shown.closedOnlyByOk &= RunModalDialog(dialog, IDD_ABOUT, nullptr) == IDOK;
    return shown;
}

Shown RunAboutWithLanguage(const std::string& general) {
    test::MemoryFileSystem files;
    files.files[kLanguageFile] = "[general]\r\n" + general + "[dialog_112]\r\ncaption=Info\r\n";
    EXPECT_TRUE(LoadLanguageFile(files, kExe));
    const Shown shown = RunAbout();
    UnloadLanguageFileForTesting();
    return shown;
}

TEST(AboutDialogTest, OnlyOkClosesItAndTheTranslatorIsALinkOnlyWithNameAndAddress) {
    const Shown plain = RunAbout();
    EXPECT_TRUE(plain.closedOnlyByOk);
    EXPECT_EQ("Velocimark", plain.title);
    EXPECT_FALSE(plain.translatorVisible);
    const struct {
        const char* general;
        bool visible;
        bool link;
    } cases[] = {{"TranslatorName=Ana\r\n", true, false},
                 {"TranslatorName=Ana\r\nTranslatorURL=https://ana.example/\r\n", true, true},
                 {"TranslatorURL=https://ana.example/\r\n", false, false}};
    for (const auto& c : cases) {
        const Shown shown = RunAboutWithLanguage(c.general);
        EXPECT_EQ("Velocimark", shown.title) << c.general;  // not the file's caption
        EXPECT_EQ(c.visible, shown.translatorVisible) << c.general;
        if (c.visible) {
            EXPECT_EQ("Ana", shown.translator) << c.general;
        }
        EXPECT_EQ(c.link, shown.translatorIsLink) << c.general;
    }
}

}  // namespace
}  // namespace vm
