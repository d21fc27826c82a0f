#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "core/list/DownloadListView.h"
#include "win32/list/WinListView.h"
#include "win32/platform/WinTimeText.h"

namespace vm {
namespace {

WinListView* gControl = nullptr;

// Hands the control's notifications back to it, as the main window does.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_NOTIFY && gControl != nullptr &&
        gControl->OnNotify(*reinterpret_cast<NMHDR*>(lParam), &result)) {
        return result;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A hidden parent window for the control.
class WinListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VmListViewTestParent";
        RegisterClassA(&wc);
        parent_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 800, 600, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent_, nullptr);
        ASSERT_TRUE(control_.Create(parent_, 259));
        gControl = &control_;
    }
    void TearDown() override {
        gControl = nullptr;
        DestroyWindow(parent_);
    }

    void AddItems(int count) {
        for (int i = 0; i < count; ++i) {
            DownloadItem item("http://host/" + std::to_string(i), "n" + std::to_string(i), i);
            list_.AddItem(item);
        }
        list_.Reload();
    }

    // What the control shows: it asks the model through its display-info notification,
    // which the parent forwards here as the main window does.
    std::string CellOnScreen(int row, int column) {
        char text[512] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(control_.Handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    AppSettings settings_;
    WinTimeText timeText_;
    DownloadListView list_{settings_, &timeText_};
    WinListView control_{list_};
    HWND parent_ = nullptr;
};

TEST_F(WinListViewTest, NineColumnsWithTranslatedTitlesAndDefaultWidths) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(control_.Handle(), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 9);
    const int widths[9] = {300, 150, 100, 100, 100, 100, 120, 110, 110};
    for (int column = 0; column < 9; ++column) {
        int width = 0, position = -1;
        ASSERT_TRUE(control_.GetColumn(column, &width, &position));
        EXPECT_EQ(width, widths[column]);
        EXPECT_EQ(position, column);
    }
}

TEST_F(WinListViewTest, RowsAreVirtualAndFollowTheSort) {
    AddItems(100000);
    EXPECT_EQ(SendMessageA(control_.Handle(), LVM_GETITEMCOUNT, 0, 0), 100000);
    list_.Sort(kColumnOrder | kSortDescending, false);
    EXPECT_EQ(list_.RowCount(), 100000u);
    // The control keeps no texts: what it shows comes from the model's rows.
    EXPECT_EQ(CellOnScreen(0, 0), "http://host/99999");
    EXPECT_EQ(CellOnScreen(0, 8), "100000");
    EXPECT_EQ(CellOnScreen(99999, 1), "n0");
    EXPECT_EQ(CellOnScreen(5, 2), "Waiting...");
    list_.ItemAt(99999).disabled = 1;
    EXPECT_EQ(CellOnScreen(0, 2), "Disabled");
}

TEST_F(WinListViewTest, SelectionLivesInTheControl) {
    AddItems(10);
    list_.SelectAll();
    EXPECT_EQ(control_.SelectedCount(), 10u);
    EXPECT_EQ(list_.SelectedCount(), 10u);
    list_.DeselectAll();
    EXPECT_EQ(control_.SelectedCount(), 0u);
    control_.SetRowState(3, kRowSelected, kRowSelected);
    EXPECT_TRUE(list_.IsRowSelected(3));
    EXPECT_EQ(list_.NextSelectedRow(-1), 3);
}

TEST_F(WinListViewTest, LayoutIsReadBackFromTheControl) {
    control_.SetColumn(1, 0, 1, true);  // hide Name
    control_.SetColumn(2, 222, 2, true);
    const std::vector<uint8_t> bytes = list_.LayoutBytes();
    ASSERT_EQ(bytes.size(), 36u);
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 0);    // Name's width
    EXPECT_EQ(bytes[8] | bytes[9] << 8, 222);  // Status's width
    const std::vector<int>& order = list_.ComputeVisibleOrder();
    EXPECT_EQ(order.size(), 8u);
    EXPECT_EQ(order[1], 2);
}

}  // namespace
}  // namespace vm
