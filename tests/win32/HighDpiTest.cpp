// The main window on a high-DPI screen: run by the "win32_tests_192dpi" entry in a prefix
// set to 192 DPI (tests/win32/high-dpi.sh); skipped on a 96-DPI screen.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMainWindow.h"
#include "core/list/DownloadColumns.h"
#include "resource.h"
#include "win32/app/MainWindow.h"
#include "win32/platform/WindowDpi.h"

namespace vm {
namespace {

constexpr int kHighDpi = 144;

int HeaderTextWidth(HWND list, HWND header, int column) {
    char text[128] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return static_cast<int>(
        SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
}

TEST(HighDpi, ColumnsImagesAndTheMinimumSizeFollowTheScreen) {
    TestMainWindow main;
    ASSERT_TRUE(main.Open());
    MainWindow& window = main.Window();
    const int dpi = WindowDpi(window.Handle());
    if (dpi < kHighDpi) GTEST_SKIP() << "a " << dpi << "-DPI screen";
    for (int i = 0; i < 6; ++i) {
        window.List().AddItem(DownloadItem("http://127.0.0.1:9/" + std::to_string(i), "", i));
    }
    SendMessageA(window.Handle(), WM_RESYNC_LIST, 0, 0);
    HWND list = GetDlgItem(window.Handle(), IDC_LISTVIEW);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));

    // Every default column shows its whole title.
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
        if (width <= 0) continue;  // hidden by default
        EXPECT_GE(width, HeaderTextWidth(list, header, column)) << "column " << column;
    }
    // The stored widths stay in 96-DPI units: the files do not change with the screen.
    const std::vector<uint8_t> stored = window.List().LayoutBytes();
    ASSERT_GE(stored.size(), 2u);
    EXPECT_EQ(DownloadColumnSpec(0).defaultWidth, stored[0] | stored[1] << 8);

    // Images of the screen's size.
    int cx = 0, cy = 0;
    HIMAGELIST small =
        reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(ImageSizeForDpi(dpi), cx);
    HWND toolbar = GetDlgItem(window.Handle(), IDC_TOOLBAR);
    HIMAGELIST buttons = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    ASSERT_TRUE(ImageList_GetIconSize(buttons, &cx, &cy));
    EXPECT_EQ(ImageSizeForDpi(dpi), cx);
    EXPECT_EQ(dpi, window.Graph().Pane().Dpi());

    // Dragged as small as it goes: the window holds its minimum, the list keeps its header
    // and three rows, and the graph gave way rather than crush it.
    SetWindowPos(window.Handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
    RECT frame = {};
    GetWindowRect(window.Handle(), &frame);
    EXPECT_GE(frame.right - frame.left, ScaleToDpi(300, dpi));
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    RECT headerRect = {}, listClient = {};
    GetWindowRect(header, &headerRect);
    GetClientRect(list, &listClient);
    EXPECT_GE(listClient.bottom, (headerRect.bottom - headerRect.top) + 3 * (row.bottom - row.top));
    HWND pane = GetDlgItem(window.Handle(), IDC_SPEED_GRAPH);
    EXPECT_FALSE(IsWindowVisible(pane));
}

}  // namespace
}  // namespace vm
