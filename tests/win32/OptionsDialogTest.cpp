#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "WinTestFiles.h"
#include "core/options/OptionTable.h"
#include "resource.h"
#include "win32/dialogs/OptionsDialog.h"

namespace vm {
namespace {

const int kDependentIds[] = {1013, 1010, 1011, 1033, 1031, 1021, 1026, 1027, 1029, 1030};

std::string EnabledDependents(HWND dialog) {
    std::string ids;
    for (int id : kDependentIds) {
        if (!IsWindowEnabled(GetDlgItem(dialog, id))) continue;
        ids += (ids.empty() ? "" : " ") + std::to_string(id);
    }
    return ids;
}

// A user's click on a check box: the box toggles, then the dialog hears of the click.
void ClickCheckBox(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    ClickButton(dialog, id);
}

TEST(OptionsDialogTest, EnablingFollowsClicksAndValuesComeBackAsShown) {
    AppSettings live;
    live.AutoStopSizeUnit = 1;  // hand-edited: no list item carries it
    std::string atStart, afterTyping, afterClicks;
    LRESULT unitSelection = 0;
    WhenDialogOpens([&](HWND dialog) {
        atStart = EnabledDependents(dialog);
        unitSelection =
            SendDlgItemMessageA(dialog, IDC_OPT_AUTO_STOP_SIZE_UNIT, CB_GETCURSEL, 0, 0);
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

// The map names options by key: a misspelt key, a control of the wrong kind for its
// option's type, or an option the dialog copies but shows nowhere would go unnoticed.
TEST(OptionsDialogTest, EveryControlShowsAnAdvancedOptionOfItsTypeAndEachHasOne) {
    for (const OptionControl& control : OptionsDialogControls()) {
        SCOPED_TRACE(control.key);
        const OptionSpec* option = FindOption(control.key);
        ASSERT_NE(nullptr, option);
        EXPECT_TRUE(option->advanced);
        switch (control.kind) {
            case ControlKind::Check:
                EXPECT_EQ(OptionType::Bool, option->type);
                break;
            case ControlKind::Number:
            case ControlKind::List:
                EXPECT_EQ(OptionType::Int, option->type);
                break;
            case ControlKind::Decimal:
                EXPECT_EQ(OptionType::Double, option->type);
                break;
            case ControlKind::Text:
                EXPECT_EQ(OptionType::Text, option->type);
                break;
            case ControlKind::Button:
                break;
        }
    }
    for (const OptionSpec& option : Options()) {
        if (!option.advanced) continue;
        bool shown = false;
        for (const OptionControl& control : OptionsDialogControls()) {
            shown |= control.kind != ControlKind::Button && std::string(control.key) == option.key;
        }
        EXPECT_TRUE(shown) << option.key;
    }
}

BOOL CALLBACK FindChooserControls(HWND child, LPARAM found) {
    auto* controls = reinterpret_cast<HWND*>(found);  // file name edit, filter list
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0 && SendMessageA(child, CB_GETCOUNT, 0, 0) == 7) {
        controls[1] = child;
    } else if (lstrcmpiA(className, "Edit") == 0 && controls[0] == nullptr) {
        controls[0] = child;
    }
    return TRUE;
}

TEST(OptionsDialogTest, TheFilterPickedForTheReportFileSetsTheReportType) {
    const std::string path = TempFilePath("vm_options_report.xml");
    DeleteFileA(path.c_str());
    AppSettings live;
    std::string typeShown;
    WhenDialogOpens([&](HWND dialog) {
        WhenDialogOpens([&](HWND chooser) {
            HWND controls[2] = {};
            EnumChildWindows(chooser, FindChooserControls, reinterpret_cast<LPARAM>(controls));
            if (controls[0] == nullptr || controls[1] == nullptr) {
                ADD_FAILURE() << "the chooser's file name or filter list was not found";
                ClickButton(chooser, IDCANCEL);
                return;
            }
            // A user's pick of "XML File": the selection changes, then the list closes on it.
            SendMessageA(controls[1], CB_SETCURSEL, 5, 0);
            for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
                SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(controls[1]), code),
                             reinterpret_cast<LPARAM>(controls[1]));
            }
            SetWindowTextA(controls[0], path.c_str());
            ClickButton(chooser, IDOK);
        });
        ClickButton(dialog, IDC_OPT_REPORT_BROWSE);
        typeShown = ItemText(dialog, IDC_OPT_REPORT_TYPE);
        ClickButton(dialog, IDOK);
    });
    EXPECT_TRUE(EditAdvancedOptions(nullptr, &live));
    EXPECT_EQ("XML File", typeShown);
    EXPECT_EQ(6, live.AutoReportType);
    EXPECT_EQ(path, live.AutoReportFilename);
}

TEST(OptionsDialogTest, ConnectionsPerDownloadEditShowsAndKeepsTheDefault) {
    AppSettings live;
    std::string shown;
    WhenDialogOpens([&](HWND dialog) {
        shown = ItemText(dialog, IDC_OPT_CONNECTIONS);
        SetDlgItemTextA(dialog, IDC_OPT_CONNECTIONS, "4");
        ClickButton(dialog, IDOK);
    });
    EXPECT_TRUE(EditAdvancedOptions(nullptr, &live));
    EXPECT_EQ("1", shown);  // one connection unless set
    EXPECT_EQ(4, live.DefaultConnections);
}

}  // namespace
}  // namespace vm
