#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "core/app/StartupOptions.h"
#include "core/base/ArgumentList.h"
#include "core/list/ItemCells.h"
#include "resource.h"
#include "win32/app/MainWindow.h"

namespace vm {
namespace {

// The main window in-process with three items and a configuration file of its own, which
// it writes when it closes.
class MainWindowDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
        InitCommonControlsEx(&init);
        char folder[MAX_PATH] = {};
        GetTempPathA(sizeof folder, folder);
        configPath_ = std::string(folder) + "vm_dialogs_" + std::to_string(GetCurrentProcessId());
        arguments_.Parse("/config \"" + configPath_ + "\"");
        options_ = ReadStartupOptions(arguments_);
        window_ = std::make_unique<MainWindow>(arguments_, options_);
        ASSERT_TRUE(window_->Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480));
        for (int i = 0; i < 3; ++i) {
            const std::string n = std::to_string(i);
            window_->List().AddItem(DownloadItem("http://127.0.0.1:1/" + n, "item" + n, i));
        }
        SendMessageA(window_->Handle(), WM_RESYNC_LIST, 0, 0);
    }
    void TearDown() override {
        Close();
        DeleteFileA(configPath_.c_str());
    }
    void Close() {
        if (window_ && window_->Handle() != nullptr) DestroyWindow(window_->Handle());
        window_.reset();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
    }

    HWND ListHandle() { return GetDlgItem(window_->Handle(), IDC_LISTVIEW); }
    void SelectRows(std::initializer_list<int> rows) {
        window_->List().DeselectAll();
        for (int row : rows) {
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED;
            SendMessageA(ListHandle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    void DoubleClickList() {
        NMITEMACTIVATE activate = {};
        activate.hdr = {ListHandle(), IDC_LISTVIEW, static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(window_->Handle(), WM_NOTIFY, IDC_LISTVIEW,
                     reinterpret_cast<LPARAM>(&activate));
    }
    void Command(UINT id) { SendMessageA(window_->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::string RowText(size_t row, int column) {
        CellBuffer buffer;
        return window_->List().RowCellText(row, column, buffer);
    }

    std::string configPath_;
    ArgumentList arguments_;
    StartupOptions options_;
    std::unique_ptr<MainWindow> window_;
};

// The value fields the Properties dialog made, top to bottom.
std::vector<HWND> ValueFields(HWND dialog) {
    std::vector<HWND> fields;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "edit") == 0 && IsWindowVisible(child)) fields.push_back(child);
    }
    return fields;
}

TEST_F(MainWindowDialogsTest, EditedNameReachesTheRowAndTheSavedFile) {
    SelectRows({1});
    std::string rows;  // w: editable, r: read-only
    bool nameFocused = false;
    WhenDialogOpens([&](HWND dialog) {
        const std::vector<HWND> fields = ValueFields(dialog);
        for (HWND field : fields)
            rows += GetWindowLongA(field, GWL_STYLE) & ES_READONLY ? 'r' : 'w';
        if (fields.size() < 2) return ClickButton(dialog, IDCANCEL);
        nameFocused = GetFocus() == fields[1];
        SetWindowTextA(fields[0], "http://127.0.0.1:1/renamed");
        SetWindowTextA(fields[1], "Renamed item");
        ClickButton(dialog, IDOK);
    });
    DoubleClickList();
    // The list's nine columns, then Server address and Cache.
    EXPECT_EQ("wwrrrrrrrrr", rows);
    EXPECT_TRUE(nameFocused);
    EXPECT_EQ("Renamed item", RowText(1, kColumnName));
    EXPECT_EQ("http://127.0.0.1:1/renamed", RowText(1, kColumnUrl));
    EXPECT_EQ(ListHandle(), GetFocus());

    // Cancel leaves the item alone; with two rows selected nothing opens.
    WhenDialogOpens([&](HWND dialog) {
        const std::vector<HWND> fields = ValueFields(dialog);
        if (fields.size() > 1) SetWindowTextA(fields[1], "Cancelled");
        ClickButton(dialog, IDCANCEL);
    });
    Command(ID_PROPERTIES);
    EXPECT_EQ("Renamed item", RowText(1, kColumnName));
    SelectRows({0, 2});
    bool opened = false;
    WhenDialogOpens([&](HWND dialog) {
        opened = true;
        ClickButton(dialog, IDCANCEL);
    });
    Command(ID_PROPERTIES);
    DoubleClickList();
    EXPECT_FALSE(opened);
    WhenDialogOpens(nullptr);

    Close();
    std::ifstream file(configPath_, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_NE(std::string::npos, content.str().find("DownloadName=Renamed item"));
}

TEST_F(MainWindowDialogsTest, OptionsChangedDuringARunApplyToTheLiveSettings) {
    Command(ID_START_TEST);
    ASSERT_TRUE(window_->IsRunning());
    WhenDialogOpens([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_OPT_CONNECT_TIMEOUT, "7");
        ClickButton(dialog, IDOK);
    });
    Command(ID_ADVANCED_OPTIONS);
    EXPECT_EQ(7, window_->Settings().ConnectTimeout);
    EXPECT_EQ(ListHandle(), GetFocus());
    Command(ID_STOP_TEST);
}

}  // namespace
}  // namespace vm
