#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "app/ArgumentList.h"
#include "app/MainWindow.h"
#include "app/StartupOptions.h"
#include "resource.h"

namespace vm {
namespace {

std::string TempConfigPath() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "vm_dialogs_test_" + std::to_string(GetCurrentProcessId()) +
           ".cfg";
}

// The main window in-process with a configuration file of its own, saved when it closes.
class MainWindowDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
        InitCommonControlsEx(&init);
        configPath_ = TempConfigPath();
        DeleteFileA(configPath_.c_str());
        arguments_.Parse("/config \"" + configPath_ + "\"");
        options_ = ReadStartupOptions(arguments_);
        window_ = std::make_unique<MainWindow>(arguments_, options_);
        ASSERT_TRUE(window_->Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480));
        for (int i = 0; i < 3; ++i) {
            window_->List().AddItem(
                DownloadItem("http://127.0.0.1:1/" + std::to_string(i), "item" + std::to_string(i), i));
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
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(ListHandle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    void DoubleClickList() {
        NMITEMACTIVATE activate = {};
        activate.hdr.hwndFrom = ListHandle();
        activate.hdr.idFrom = IDC_LISTVIEW;
        activate.hdr.code = NM_DBLCLK;
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

struct Field {
    HWND handle;
    bool readOnly;
};

// The value fields the Properties dialog made, top to bottom.
std::vector<Field> ValueFields(HWND dialog) {
    std::vector<Field> fields;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "edit") != 0 || !IsWindowVisible(child)) continue;
        fields.push_back({child, (GetWindowLongA(child, GWL_STYLE) & ES_READONLY) != 0});
    }
    return fields;
}

TEST_F(MainWindowDialogsTest, EditedNameReachesTheRowAndTheSavedFile) {
    SelectRows({1});
    std::string readOnlyPattern;
    bool nameFocused = false;
    WhenDialogOpens([&](HWND dialog) {
        const std::vector<Field> fields = ValueFields(dialog);
        for (const Field& field : fields) readOnlyPattern += field.readOnly ? 'r' : 'w';
        if (fields.size() > 1) {
            nameFocused = GetFocus() == fields[1].handle;
            SetWindowTextA(fields[1].handle, "Renamed item");
        }
        ClickButton(dialog, IDOK);
    });
    DoubleClickList();
    EXPECT_EQ("wwrrrrrrr", readOnlyPattern);
    EXPECT_TRUE(nameFocused);
    EXPECT_EQ("Renamed item", RowText(1, kColumnName));
    EXPECT_EQ(ListHandle(), GetFocus());

    // Cancel leaves the item alone.
    WhenDialogOpens([&](HWND dialog) {
        const std::vector<Field> fields = ValueFields(dialog);
        if (!fields.empty()) SetWindowTextA(fields[0].handle, "http://changed/");
        ClickButton(dialog, IDCANCEL);
    });
    Command(ID_PROPERTIES);
    EXPECT_EQ("http://127.0.0.1:1/1", RowText(1, kColumnUrl));

    // With two rows selected nothing opens (a dialog would wait for the driver).
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
