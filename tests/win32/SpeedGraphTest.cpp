#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "TestMainWindow.h"
#include "TransferTestWindow.h"
#include "WinTestFiles.h"
#include "core/chart/ChartUnit.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/app/MainWindow.h"
#include "win32/lang/MenuLoading.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {
namespace {

using test::EnvText;

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

std::string PaneText(MainWindow& window) {
    char text[2048] = {};
    GetWindowTextA(GetDlgItem(window.Handle(), IDC_SPEED_GRAPH), text, sizeof text);
    return text;
}

// The pane's height once the window is laid out, as showing it does.
int PaneHeight(MainWindow& window) {
    SendMessageA(window.Handle(), WM_SIZE, 0, 0);
    RECT rect = {};
    GetWindowRect(GetDlgItem(window.Handle(), IDC_SPEED_GRAPH), &rect);
    return rect.bottom - rect.top;
}

bool MenuChecked(MainWindow& window, UINT id) {
    return (GetMenuState(GetMenu(window.Handle()), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void Command(MainWindow& window, UINT id) {
    SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void SelectRows(MainWindow& window, bool all) {
    HWND list = GetDlgItem(window.Handle(), IDC_LISTVIEW);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, all ? static_cast<WPARAM>(-1) : 1,
                 reinterpret_cast<LPARAM>(&item));
    PumpFor(100);
}

TEST(SpeedGraph, CommandShowsAndHidesThePaneAndTheListTakesItsPlace) {
    TestMainWindow main;
    ASSERT_TRUE(main.Open());
    MainWindow& window = main.Window();
    HWND pane = GetDlgItem(window.Handle(), IDC_SPEED_GRAPH);
    HWND list = GetDlgItem(window.Handle(), IDC_LISTVIEW);
    ASSERT_NE(nullptr, pane);
    RECT shown = {};
    GetWindowRect(list, &shown);
    EXPECT_TRUE(IsWindowVisible(pane) || !IsWindowVisible(window.Handle()));
    EXPECT_TRUE(MenuChecked(window, ID_SPEED_GRAPH));
    EXPECT_EQ(0u, PaneText(window).find("No download to show"));

    Command(window, ID_SPEED_GRAPH);
    RECT hidden = {};
    GetWindowRect(list, &hidden);
    EXPECT_FALSE(IsWindowVisible(pane));
    EXPECT_FALSE(MenuChecked(window, ID_SPEED_GRAPH));
    EXPECT_EQ(0, window.Settings().ShowSpeedGraph);
    EXPECT_GT(hidden.bottom - hidden.top, shown.bottom - shown.top + 100);

    Command(window, ID_SPEED_GRAPH);
    EXPECT_TRUE(MenuChecked(window, ID_SPEED_GRAPH));
    EXPECT_EQ(1, window.Settings().ShowSpeedGraph);
}

TEST(SpeedGraph, StateAndHeightSurviveARestart) {
    const std::string config = TempFilePath("vm_graph_state.cfg");
    WriteFileText(config,
                  "[General]\r\nShowSpeedGraph=0\r\nSpeedGraphHeight=150\r\nNumOfDownloads=0\r\n");
    {
        TestMainWindow main("/config \"" + config + "\"");
        ASSERT_TRUE(main.Open());
        EXPECT_FALSE(MenuChecked(main.Window(), ID_SPEED_GRAPH));
        EXPECT_EQ(150, main.Window().Settings().SpeedGraphHeight);
        Command(main.Window(), ID_SPEED_GRAPH);
        main.Close();
    }
    const std::string saved = ReadFileText(config);
    EXPECT_NE(std::string::npos, saved.find("ShowSpeedGraph=1\r\nSpeedGraphHeight=150\r\n"));
    {
        TestMainWindow main("/config \"" + config + "\"");
        ASSERT_TRUE(main.Open());
        EXPECT_TRUE(MenuChecked(main.Window(), ID_SPEED_GRAPH));
        EXPECT_EQ(150, PaneHeight(main.Window()));
    }
    // A height nobody could have dragged to falls back to one that fits.
    WriteFileText(config, "[General]\r\nSpeedGraphHeight=-40\r\nNumOfDownloads=0\r\n");
    {
        TestMainWindow main("/config \"" + config + "\"");
        ASSERT_TRUE(main.Open());
        EXPECT_GE(main.Window().Settings().SpeedGraphHeight, 80);
        EXPECT_EQ(main.Window().Settings().SpeedGraphHeight, PaneHeight(main.Window()));
    }
    DeleteFileA(config.c_str());
}

// A run against two throttled mirrors: the pane follows the download under test and, with
// both rows selected afterwards, compares them.
TEST(SpeedGraph, FollowsTheRunAndComparesTheSelectedRows) {
    const std::string port = EnvText("VM_HTTP_PORT");
    if (port.empty()) GTEST_SKIP() << "test servers are not running";
    const std::string base = "http://127.0.0.1:" + port;
    TestMainWindow main;
    ASSERT_TRUE(main.Open());
    MainWindow& window = main.Window();
    window.Settings().UseAutoStopTime = 1;
    window.Settings().AutoStopTime = 3;
    window.List().AddItem(DownloadItem(base + "/rate/300k/5m.bin", "Mirror 1", 0));
    window.List().AddItem(DownloadItem(base + "/rate/600k/5m.bin", "Mirror 2", 1));
    SendMessageA(window.Handle(), WM_RESYNC_LIST, 0, 0);
    SelectRows(window, false);  // a row picked before the run does not hold the pane
    Command(window, ID_START_TEST);
    PumpFor(2000);
    ASSERT_TRUE(window.IsRunning());
    const std::string during = PaneText(window);
    EXPECT_EQ(0u, during.find("Mirror 1: average ")) << during;
    ASSERT_EQ(1u, window.Graph().Chart().curves.size());
    EXPECT_GT(window.Graph().Chart().curves[0].interval.size(), 5u);  // several per second

    const DWORD start = GetTickCount();
    while (window.IsRunning() && GetTickCount() - start < 30000) PumpFor(100);
    ASSERT_FALSE(window.IsRunning());

    // One row: its own figures, as the list has them.
    SelectRows(window, false);
    const DownloadItem& second = window.List().ItemAt(1);
    const std::string one = PaneText(window);
    EXPECT_EQ(0u, one.find("Mirror 2: average " +
                           FormatChartSpeed(second.speedKBps * 1024, ChartUnit::KBps)))
        << one;

    SelectRows(window, true);
    const std::string both = PaneText(window);
    EXPECT_EQ(0u, both.find("Comparing 2 downloads: Mirror 1 average ")) << both;
    EXPECT_NE(std::string::npos, both.find("; Mirror 2 average ")) << both;
    const SpeedChart& chart = window.Graph().Chart();
    ASSERT_EQ(2u, chart.curves.size());
    for (const ChartCurve& curve : chart.curves) EXPECT_GT(curve.second.size(), 5u);
    // The faster mirror's average ends higher.
    EXPECT_GT(chart.curves[1].average.back().y, chart.curves[0].average.back().y);

    // Sorting by the bits column turns the pane to Mbps.
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = GetDlgItem(window.Handle(), IDC_LISTVIEW);
    click.hdr.idFrom = IDC_LISTVIEW;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 4;  // Speed (Bits)
    SendMessageA(window.Handle(), WM_NOTIFY, IDC_LISTVIEW, reinterpret_cast<LPARAM>(&click));
    EXPECT_NE(std::string::npos, PaneText(window).find(" Mbps")) << PaneText(window);
    // The pane's own choice wins over the list's, until it is given back to the list.
    Command(window, ID_GRAPH_UNIT_KB);
    EXPECT_NE(std::string::npos, PaneText(window).find(" KB/Sec")) << PaneText(window);
    Command(window, ID_GRAPH_UNIT_LIST);
    EXPECT_NE(std::string::npos, PaneText(window).find(" Mbps")) << PaneText(window);

    // Take it away: a picture file and the clipboard.
    window.SetGraphErrorsQuiet(true);
    const std::string picture = TempFilePath("vm_graph.png");
    std::string written;
    ASSERT_EQ(0u, window.SaveGraphFile(picture, GraphImageFormat::Png, &written));
    const std::string bytes = ReadFileText(written);
    EXPECT_TRUE(bytes.rfind("\x89PNG", 0) == 0 || bytes.rfind("BM", 0) == 0) << written;
    DeleteFileA(written.c_str());
    const std::string bitmap = TempFilePath("vm_graph.bmp");
    ASSERT_EQ(0u, window.SaveGraphFile(bitmap, GraphImageFormat::Bmp, &written));
    EXPECT_EQ(0u, ReadFileText(bitmap).rfind("BM", 0));
    DeleteFileA(bitmap.c_str());
    Command(window, ID_COPY_GRAPH);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
}

// With latency probes on, the times under load come in a strip under the speed.
TEST(SpeedGraph, ShowsTheLoadedLatencyUnderTheSpeed) {
    const std::string port = EnvText("VM_HTTP_PORT");
    if (port.empty()) GTEST_SKIP() << "test servers are not running";
    TestMainWindow main;
    ASSERT_TRUE(main.Open());
    MainWindow& window = main.Window();
    window.Settings().UseAutoStopTime = 1;
    window.Settings().AutoStopTime = 3;
    window.Settings().DefaultLatencyProbe = 1;
    window.List().AddItem(
        DownloadItem("http://127.0.0.1:" + port + "/rate/600k/5m.bin", "Probed", 0));
    SendMessageA(window.Handle(), WM_RESYNC_LIST, 0, 0);
    Command(window, ID_START_TEST);
    const DWORD start = GetTickCount();
    while (window.IsRunning() && GetTickCount() - start < 30000) PumpFor(100);
    ASSERT_FALSE(window.IsRunning());
    SelectRows(window, true);
    const SpeedChart& chart = window.Graph().Chart();
    ASSERT_GE(chart.latency.size(), 5u) << PaneText(window);  // one every 200 ms for 3 s
    EXPECT_LE(chart.latency.back().x, chart.timeAxis.high);
    EXPECT_NE(std::string::npos, PaneText(window).find(" ms loaded")) << PaneText(window);
}

// A translation renames the command and the pane's texts.
TEST(SpeedGraph, TranslationRenamesTheCommandAndThePane) {
    WriteFileText(TempFilePath("vm_graph_lang_lng.ini"),
                  "[menu_102]\r\n40080=Tempo-&Grafik\r\n[menu_3110]\r\n3101=Grafik &kopieren\r\n"
                  "[strings]\r\n2102=Nichts zu zeigen\r\n");
    WinFileSystem files;
    ASSERT_TRUE(LoadLanguageFile(files, TempFilePath("vm_graph_lang.exe")));
    ResetStringCacheForTesting();
    {
        TestMainWindow main;
        ASSERT_TRUE(main.Open());
        char text[128] = {};
        GetMenuStringA(GetMenu(main.Handle()), ID_SPEED_GRAPH, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ("Tempo-&Grafik\tF11", text);
        EXPECT_EQ("Nichts zu zeigen", PaneText(main.Window()));
    }
    HMENU menu = LoadTranslatedMenu(IDR_GRAPHMENU);
    char copy[128] = {};
    GetMenuStringA(menu, ID_COPY_GRAPH, copy, sizeof copy, MF_BYCOMMAND);
    EXPECT_STREQ("Grafik &kopieren", copy);
    DestroyMenu(menu);
    UnloadLanguageFileForTesting();
    ResetStringCacheForTesting();
    DeleteFileA(TempFilePath("vm_graph_lang_lng.ini").c_str());
}

}  // namespace
}  // namespace vm
