// How the dialogs reach the eye and the hand: texts that fit their controls, a size grip
// that sizes, the dialog's own font on rows made at run time, and right-to-left layout
// applied so that frames and texts follow it.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "WinTestFiles.h"
#include "core/lang/LanguageFile.h"
#include "core/options/AppSettings.h"
#include "resource.h"
#include "win32/dialogs/AddUrlsDialog.h"
#include "win32/dialogs/OptionsDialog.h"
#include "win32/dialogs/PropertiesDialog.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {
namespace {

// Opens a dialog, lets the probe look at it and cancels.
void Probe(DialogBase& dialog, std::function<void(HWND)> look) {
    WhenDialogOpens([=](HWND hwnd) {
        look(hwnd);
        ClickButton(hwnd, IDCANCEL);
    });
    dialog.DoModal(nullptr);
}

void ProbeOptions(std::function<void(HWND)> look) {
    AppSettings live;
    OptionsDialog dialog(live);
    Probe(dialog, look);
}

void ProbeAddUrls(std::function<void(HWND)> look) {
    AddUrlsDialog dialog;
    Probe(dialog, look);
}

void SizeWindow(HWND window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

// The box the control's text takes in its font, measured by DrawText with the format,
// starting from the given box (its width bounds wrapped text).
RECT MeasureText(HWND control, RECT box, UINT format) {
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    HDC dc = GetDC(control);
    const HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &box, DT_CALCRECT | DT_NOPREFIX | format);
    SelectObject(dc, font);
    ReleaseDC(control, dc);
    return box;
}

// The height the control's text takes when wrapped at the control's width, in its font.
int WrappedTextHeight(HWND control) {
    RECT client = {};
    GetClientRect(control, &client);
    return MeasureText(control, {0, 0, client.right, 0}, DT_WORDBREAK).bottom;
}

// A point of the dialog's client area, given from its bottom right corner as a user sees
// it, in screen coordinates as WM_NCHITTEST brings it.
LPARAM ScreenPointFromCorner(HWND dialog, int fromRight, int fromBottom) {
    RECT client = {};
    GetClientRect(dialog, &client);
    POINT point = {client.right - fromRight, client.bottom - fromBottom};
    ClientToScreen(dialog, &point);
    return MAKELPARAM(point.x, point.y);
}

LRESULT HitTest(HWND dialog, LPARAM point) { return SendMessageA(dialog, WM_NCHITTEST, 0, point); }

TEST(DialogGeometryTest, TheReportFileLabelHoldsItsWholeTextAtEverySize) {
    std::vector<std::string> failures;
    ProbeOptions([&](HWND dialog) {
        HWND label = GetDlgItem(dialog, IDC_OPT_REPORT_FILE_LABEL);
        RECT window = {};
        GetWindowRect(dialog, &window);
        const SIZE sizes[] = {{window.right - window.left, window.bottom - window.top},
                              {1, 1},  // held at the minimum
                              {900, 600}};
        for (const SIZE& size : sizes) {
            SizeWindow(dialog, size.cx, size.cy);
            RECT client = {};
            GetClientRect(label, &client);
            const RECT labelRect = ChildRect(dialog, IDC_OPT_REPORT_FILE_LABEL);
            const RECT edit = ChildRect(dialog, IDC_OPT_REPORT_FILE);
            const RECT group = ChildRect(dialog, IDC_OPT_REPORT_GROUP);
            const RECT ok = ChildRect(dialog, IDOK);
            const std::string at = " at " + std::to_string(size.cx) + "x" + std::to_string(size.cy);
            if (WrappedTextHeight(label) > client.bottom) failures.push_back("label cut" + at);
            if (labelRect.bottom > edit.top) failures.push_back("label under the edit" + at);
            if (group.bottom > ok.top) failures.push_back("OK over the group" + at);
        }
    });
    EXPECT_TRUE(failures.empty()) << failures.front();
}

// The width a control's text takes on one line, in the control's font.
int TextWidth(HWND control) { return MeasureText(control, {}, DT_SINGLELINE).right; }

TEST(DialogGeometryTest, CheckBoxTextsFitBesideTheirBoxes) {
    // The box and the gap before the text; a text wider than the rest is cut, and in
    // right-to-left layout the cut falls on its first letters.
    const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4;
    std::vector<std::string> cut;
    ProbeOptions([&](HWND dialog) {
        for (int id :
             {IDC_OPT_USE_AUTO_STOP_TIME, IDC_OPT_USE_AUTO_STOP_SIZE, IDC_OPT_USE_AUTO_STOP_STABLE,
              IDC_OPT_TRY_AGAIN, IDC_OPT_AUTO_REPORT, IDC_OPT_OPEN_REPORT}) {
            HWND check = GetDlgItem(dialog, id);
            RECT client = {};
            GetClientRect(check, &client);
            if (box + TextWidth(check) > client.right) {
                cut.push_back(std::to_string(id) + ": " + std::to_string(box + TextWidth(check)) +
                              " > " + std::to_string(client.right));
            }
        }
    });
    EXPECT_TRUE(cut.empty()) << cut.front();
}

TEST(DialogGeometryTest, AddUrlsTextsStayWholeAtTheMinimumSize) {
    int cutAtStart = -1, cutAtMinimum = -1, editLines = 0;
    SIZE opened = {}, smallest = {}, minimum = {};  // window sizes
    ProbeAddUrls([&](HWND dialog) {
        auto cutTexts = [&] {
            int cut = 0;
            for (int id : {IDC_ADD_URLS_HINT, IDC_ADD_URLS_EXAMPLE}) {
                RECT text = ChildRect(dialog, id), client = {};
                GetClientRect(dialog, &client);
                RECT label = {};
                GetClientRect(GetDlgItem(dialog, id), &label);
                if (text.right > client.right ||
                    WrappedTextHeight(GetDlgItem(dialog, id)) > label.bottom) {
                    ++cut;
                }
            }
            return cut;
        };
        RECT window = {};
        GetWindowRect(dialog, &window);
        opened = {window.right - window.left, window.bottom - window.top};
        cutAtStart = cutTexts();
        SizeWindow(dialog, 1, 1);
        GetWindowRect(dialog, &window);
        smallest = {window.right - window.left, window.bottom - window.top};
        cutAtMinimum = cutTexts();
        minimum = DialogUnitsWindowSize(dialog, kAddUrlsMinWidthDlu, kAddUrlsMinHeightDlu);
        // Whole lines of the edit's own font in its text area at this size.
        HWND edit = GetDlgItem(dialog, IDC_ADD_URLS_EDIT);
        RECT area = {};
        SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
        HDC dc = GetDC(edit);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)));
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(edit, dc);
        editLines = metrics.tmHeight > 0 ? (area.bottom - area.top) / metrics.tmHeight : 0;
    });
    EXPECT_EQ(0, cutAtStart);
    EXPECT_EQ(0, cutAtMinimum);
    EXPECT_LT(smallest.cx, opened.cx + 1);  // no wider than needed
    EXPECT_EQ(minimum.cy, smallest.cy);     // the edit gives way, down to its minimum
    EXPECT_GE(editLines, 3);
}

TEST(DialogGeometryTest, TheGripSizesLikeAFrameCorner) {
    struct Case {
        const char* where;
        int fromRight, fromBottom;
        LRESULT expected;
    };
    const Case cases[] = {
        {"in the grip", 3, 3, HTBOTTOMRIGHT},
        {"grip's far corner", GetSystemMetrics(SM_CXHSCROLL), GetSystemMetrics(SM_CYVSCROLL),
         HTBOTTOMRIGHT},
        {"left of the grip", GetSystemMetrics(SM_CXHSCROLL) + 1, 3, HTCLIENT},
        {"above the grip", 3, GetSystemMetrics(SM_CYVSCROLL) + 1, HTCLIENT},
    };
    for (auto probe : {ProbeOptions, ProbeAddUrls}) {
        std::vector<LRESULT> hits;
        probe([&](HWND dialog) {
            for (const Case& c : cases) {
                hits.push_back(
                    HitTest(dialog, ScreenPointFromCorner(dialog, c.fromRight, c.fromBottom)));
            }
            // After a large shrink the grip is where the corner went.
            SizeWindow(dialog, 1, 1);
            hits.push_back(HitTest(dialog, ScreenPointFromCorner(dialog, 3, 3)));
        });
        ASSERT_EQ(hits.size(), std::size(cases) + 1);
        for (size_t i = 0; i < std::size(cases); ++i) {
            EXPECT_EQ(cases[i].expected, hits[i]) << cases[i].where;
        }
        EXPECT_EQ(HTBOTTOMRIGHT, hits.back()) << "after a shrink";
    }
}

TEST(DialogGeometryTest, PropertiesRowsUseTheDialogsFont) {
    DownloadItem item("http://example.test/file.bin", "file", 0);
    PropertiesDialog dialog(item, CellContext{});
    HFONT dialogFont = nullptr;
    std::vector<HFONT> rowFonts;
    Probe(dialog, [&](HWND hwnd) {
        dialogFont = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgCtrlID(child) == 0 && IsWindowVisible(child)) {
                rowFonts.push_back(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
            }
        }
    });
    ASSERT_NE(dialogFont, nullptr);
    ASSERT_EQ(rowFonts.size(), 18u);  // nine captions and nine values
    for (HFONT font : rowFonts) EXPECT_EQ(dialogFont, font);
}

// A translation file with right-to-left layout beside a pretend program, for one test.
class MirroredDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileText(TempFilePath("vm_rtl_test_lng.ini"), "[general]\r\nrtl=1\r\n");
        WinFileSystem files;
        ASSERT_TRUE(LoadLanguageFile(files, TempFilePath("vm_rtl_test.exe")));
    }
    void TearDown() override {
        UnloadLanguageFileForTesting();
        DeleteFileA(TempFilePath("vm_rtl_test_lng.ini").c_str());
    }
};

TEST_F(MirroredDialogTest, TheEditsScrollBarIsOnTheLeftAtFirstShow) {
    RECT window = {}, client = {};
    ProbeAddUrls([&](HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_ADD_URLS_EDIT);
        WINDOWINFO info = {};
        info.cbSize = sizeof info;
        GetWindowInfo(edit, &info);
        window = info.rcWindow;
        client = info.rcClient;
    });
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    // The client area leaves the scroll bar's room on its left, none on its right.
    EXPECT_GE(client.left - window.left, scrollBar);
    EXPECT_LT(window.right - client.right, scrollBar);
}

TEST_F(MirroredDialogTest, TheGripIsTheBottomLeftCorner) {
    LRESULT hit = 0;
    ProbeOptions([&](HWND dialog) {
        // Client coordinates of a mirrored dialog count from its right edge: this is the
        // bottom left corner on screen.
        hit = HitTest(dialog, ScreenPointFromCorner(dialog, 3, 3));
        RECT client = {};
        GetClientRect(dialog, &client);
        POINT bottomLeft = {client.right - 3, client.bottom - 3};
        ClientToScreen(dialog, &bottomLeft);
        RECT window = {};
        GetWindowRect(dialog, &window);
        EXPECT_LT(bottomLeft.x - window.left, (window.right - window.left) / 2);
    });
    EXPECT_EQ(HTBOTTOMLEFT, hit);
}

TEST_F(MirroredDialogTest, LabelsDropTheirTrailingSpacesOnlyOnScreen) {
    std::string shown;
    ProbeOptions([&](HWND dialog) { shown = ItemText(dialog, IDC_OPT_TRY_AGAIN); });
    EXPECT_EQ("When a download fails, retry up to", shown);
    char resource[128] = {};  // the program's texts keep the space
    UnloadLanguageFileForTesting();
    ProbeOptions([&](HWND dialog) {
        GetDlgItemTextA(dialog, IDC_OPT_TRY_AGAIN, resource, sizeof resource);
    });
    EXPECT_STREQ("When a download fails, retry up to ", resource);
}

}  // namespace
}  // namespace vm
