#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "TestMainWindow.h"
#include "resource.h"
#include "win32/app/MainWindow.h"

namespace vm {
namespace {

// The main window in-process, hidden, with no configuration file.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(main_.Open());
        window_ = &main_.Window();
    }
    void TearDown() override { main_.Close(); }

    void Pump() {
        MSG msg;
        for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message == WM_QUIT) break;
            DispatchMessageA(&msg);
        }
    }

    void AddItems(int count) {
        for (int i = 0; i < count; ++i) {
            window_->List().AddItem(DownloadItem("http://127.0.0.1:1/" + std::to_string(i), "", i));
        }
        SendMessageA(window_->Handle(), WM_RESYNC_LIST, 0, 0);
    }

    std::string StatusText() {
        HWND bar = GetDlgItem(window_->Handle(), IDC_STATUSBAR);
        char text[256] = {};
        SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    TestMainWindow main_;
    MainWindow* window_ = nullptr;
};

TEST_F(MainWindowTest, StatusBarCountsRowsAndSettledSelection) {
    EXPECT_EQ(StatusText(), "0 item(s)");
    AddItems(3);
    EXPECT_EQ(StatusText(), "3 item(s)");
    main_.Command(ID_SELECT_ALL);
    Pump();  // the selection change is reported once it settles
    EXPECT_EQ(StatusText(), "3 item(s), 3 Selected");
    main_.Command(ID_DESELECT_ALL);
    Pump();
    EXPECT_EQ(StatusText(), "3 item(s)");
}

TEST_F(MainWindowTest, CommandsFollowTheListAndTheRun) {
    EXPECT_FALSE(main_.MenuEnabled(ID_START_TEST));
    EXPECT_FALSE(main_.ButtonEnabled(ID_START_TEST));
    EXPECT_FALSE(main_.MenuEnabled(ID_STOP_TEST));
    EXPECT_TRUE(main_.MenuEnabled(ID_ADD_FILE));  // always available

    AddItems(2);
    EXPECT_TRUE(main_.MenuEnabled(ID_START_TEST));
    EXPECT_TRUE(main_.ButtonEnabled(ID_START_TEST));
    EXPECT_FALSE(main_.MenuEnabled(ID_PROPERTIES));  // nothing selected
    EXPECT_FALSE(main_.MenuEnabled(ID_MOVE_UP));     // sorted by URL, not by order

    main_.Command(ID_START_TEST);
    EXPECT_TRUE(window_->IsRunning());
    EXPECT_FALSE(main_.MenuEnabled(ID_START_TEST));
    EXPECT_TRUE(main_.MenuEnabled(ID_STOP_TEST));
    EXPECT_TRUE(main_.ButtonEnabled(ID_MOVE_TO_NEXT));
    EXPECT_FALSE(main_.MenuEnabled(ID_ADD_URLS_LIST));

    main_.Command(ID_STOP_TEST);
    EXPECT_FALSE(window_->IsRunning());
    EXPECT_TRUE(main_.MenuEnabled(ID_START_TEST));
    EXPECT_EQ(window_->List().ItemAt(0).status, DownloadStatus::Finished);
    EXPECT_EQ(window_->List().ItemAt(1).status, DownloadStatus::Waiting);
}

TEST_F(MainWindowTest, OptionTogglesAreCheckedInTheMenu) {
    HMENU menu = GetMenu(window_->Handle());
    const bool before = GetMenuState(menu, ID_SHOW_TIME_IN_GMT, MF_BYCOMMAND) & MF_CHECKED;
    main_.Command(ID_SHOW_TIME_IN_GMT);
    EXPECT_EQ(window_->Settings().ShowTimeInGMT != 0, !before);
    EXPECT_EQ((GetMenuState(menu, ID_SHOW_TIME_IN_GMT, MF_BYCOMMAND) & MF_CHECKED) != 0, !before);
}

// A toolbar tip is its command's main-menu text, key column included: the tooltip control
// itself cuts it at the tab.
TEST_F(MainWindowTest, ToolbarTipsAreTheMenuTexts) {
    const struct {
        UINT id;
        const char* text;
    } tips[] = {
        {ID_START_TEST, "&Start Downloads Test\tF2"},
        {ID_ADVANCED_OPTIONS, "&Advanced Options"},
        {ID_MOVE_DOWN, "Move Selected items &Down\tCtrl+F8"},
    };
    for (const auto& tip : tips) {
        NMTTDISPINFOA info = {};
        info.hdr.code = TTN_GETDISPINFOA;
        info.hdr.idFrom = tip.id;
        SendMessageA(window_->Handle(), WM_NOTIFY, tip.id, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_STREQ(info.lpszText, tip.text);
    }
}

}  // namespace
}  // namespace vm
