#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "DialogDriver.h"
#include "resource.h"
#include "ui/OptionsDialog.h"

namespace vm {
namespace {

const int kDependentIds[] = {IDC_OPT_AUTO_STOP_TIME,  IDC_OPT_AUTO_STOP_SIZE,
                             IDC_OPT_AUTO_STOP_SIZE_UNIT, IDC_OPT_STABLE_VALUE,
                             IDC_OPT_STABLE_UNIT,     IDC_OPT_RETRIES,
                             IDC_OPT_REPORT_FILE,     IDC_OPT_REPORT_BROWSE,
                             IDC_OPT_REPORT_TYPE,     IDC_OPT_OPEN_REPORT};

std::string EnabledDependents(HWND dialog) {
    std::string ids;
    for (int id : kDependentIds) {
        if (!IsWindowEnabled(GetDlgItem(dialog, id))) continue;
        if (!ids.empty()) ids += ' ';
        ids += std::to_string(id);
    }
    return ids;
}

// A user's click on a check box: the box toggles, then the dialog hears of the click.
void ClickCheckBox(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    ClickButton(dialog, id);
}

RECT ChildRect(HWND dialog, int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(OptionsDialogTest, EnablingFollowsClicksAndValuesComeBackAsShown) {
    AppSettings live;
    live.AutoStopSizeUnit = 1;  // hand-edited: no list item carries it
    live.ShowGridLines = 1;     // outside the edited block
    std::string atStart, afterTyping, afterClicks;
    LRESULT unitSelection = 0;
    WhenDialogOpens([&](HWND dialog) {
        atStart = EnabledDependents(dialog);
        unitSelection = SendDlgItemMessageA(dialog, IDC_OPT_AUTO_STOP_SIZE_UNIT, CB_GETCURSEL, 0, 0);
        SetDlgItemTextA(dialog, IDC_OPT_AUTO_STOP_TIME, "0");
        afterTyping = EnabledDependents(dialog);
        ClickCheckBox(dialog, IDC_OPT_AUTO_REPORT, true);
        ClickCheckBox(dialog, IDC_OPT_USE_AUTO_STOP_TIME, false);
        afterClicks = EnabledDependents(dialog);
        SetDlgItemTextA(dialog, IDC_OPT_STABLE_VALUE, "2.34");
        ClickButton(dialog, IDOK);
    });
    EXPECT_TRUE(EditAdvancedOptions(nullptr, &live));
    EXPECT_EQ("1013", atStart);
    EXPECT_EQ(atStart, afterTyping);
    EXPECT_EQ("1026 1027 1029 1030", afterClicks);
    EXPECT_EQ(CB_ERR, unitSelection);
    EXPECT_EQ(0, live.AutoStopSizeUnit);
    EXPECT_DOUBLE_EQ(2.3, live.AutoStopStableValue);
    EXPECT_EQ(1, live.AutoReport);
    EXPECT_EQ(0, live.UseAutoStopTime);
    EXPECT_EQ(1, live.ShowGridLines);

    // Reopened, the value shows as it was kept; Cancel then discards every change.
    std::string shown;
    WhenDialogOpens([&](HWND dialog) {
        shown = ItemText(dialog, IDC_OPT_STABLE_VALUE);
        ClickCheckBox(dialog, IDC_OPT_AUTO_REPORT, false);
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_FALSE(EditAdvancedOptions(nullptr, &live));
    EXPECT_EQ("2.3", shown);
    EXPECT_EQ(1, live.AutoReport);
}

// The chooser's controls found by what they hold, not by the platform's ids.
struct ChooserControls {
    HWND fileName = nullptr;
    HWND filter = nullptr;
};

BOOL CALLBACK FindChooserControl(HWND child, LPARAM found) {
    auto* controls = reinterpret_cast<ChooserControls*>(found);
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0 && SendMessageA(child, CB_GETCOUNT, 0, 0) == 7) {
        controls->filter = child;
    } else if (lstrcmpiA(className, "Edit") == 0 && IsWindowVisible(child) &&
               controls->fileName == nullptr) {
        controls->fileName = child;
    }
    return TRUE;
}

TEST(OptionsDialogTest, TheFilterPickedForTheReportFileSetsTheReportType) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + "vm_options_report.xml";
    DeleteFileA(path.c_str());
    AppSettings live;
    std::string typeShown;
    WhenDialogOpens([&](HWND dialog) {
        WhenDialogOpens([&](HWND chooser) {
            ChooserControls controls;
            EnumChildWindows(chooser, FindChooserControl, reinterpret_cast<LPARAM>(&controls));
            if (controls.filter == nullptr || controls.fileName == nullptr) {
                ADD_FAILURE() << "the chooser's file name or filter list was not found";
                ClickButton(chooser, IDCANCEL);
                return;
            }
            // A user's pick: the selection changes, then the list closes on it.
            SendMessageA(controls.filter, CB_SETCURSEL, 5, 0);  // "XML File"
            for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
                SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(controls.filter), code),
                             reinterpret_cast<LPARAM>(controls.filter));
            }
            SetWindowTextA(controls.fileName, path.c_str());
            ClickButton(chooser, IDOK);
        });
        ClickCheckBox(dialog, IDC_OPT_AUTO_REPORT, true);
        ClickButton(dialog, IDC_OPT_REPORT_BROWSE);
        char type[64] = {};
        GetDlgItemTextA(dialog, IDC_OPT_REPORT_TYPE, type, sizeof type);
        typeShown = type;
        ClickButton(dialog, IDOK);
    });
    EXPECT_TRUE(EditAdvancedOptions(nullptr, &live));
    EXPECT_EQ("XML File", typeShown);
    EXPECT_EQ(6, live.AutoReportType);
    EXPECT_EQ(path, live.AutoReportFilename);
}

TEST(OptionsDialogTest, WideningStretchesTheReportRowAndStopsAtTheMinimum) {
    AppSettings live;
    WhenDialogOpens([&](HWND dialog) {
        const RECT file0 = ChildRect(dialog, IDC_OPT_REPORT_FILE);
        const RECT browse0 = ChildRect(dialog, IDC_OPT_REPORT_BROWSE);
        const RECT ok0 = ChildRect(dialog, IDOK);
        RECT window;
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + 100,
                     window.bottom - window.top + 40, SWP_NOMOVE | SWP_NOZORDER);
        const RECT file1 = ChildRect(dialog, IDC_OPT_REPORT_FILE);
        const RECT browse1 = ChildRect(dialog, IDC_OPT_REPORT_BROWSE);
        const RECT ok1 = ChildRect(dialog, IDOK);
        EXPECT_EQ(file0.right + 100, file1.right);
        EXPECT_EQ(file0.bottom, file1.bottom);
        EXPECT_EQ(browse0.left + 100, browse1.left);
        EXPECT_EQ(ok0.left + 100, ok1.left);
        EXPECT_EQ(ok0.top + 40, ok1.top);
        MINMAXINFO info = {};
        SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(440, info.ptMinTrackSize.x);
        EXPECT_EQ(370, info.ptMinTrackSize.y);
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_FALSE(EditAdvancedOptions(nullptr, &live));
}

}  // namespace
}  // namespace vm
