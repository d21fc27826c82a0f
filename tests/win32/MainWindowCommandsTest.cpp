#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "core/report/ReportWriter.h"
#include "resource.h"
#include "win32/app/MainWindow.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {
namespace {

constexpr int kDownloadOrderColumn = 8;

int CountTempFiles(const char* pattern) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(TempFilePath(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The main window in-process, hidden, with no configuration file and three items.
class MainWindowCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(main_.Open());
        window_ = &main_.Window();
        for (int i = 0; i < 3; ++i) {
            window_->List().AddItem(DownloadItem("http://127.0.0.1:1/" + std::to_string(i),
                                                 "item " + std::to_string(i), i));
        }
        SendMessageA(window_->Handle(), WM_RESYNC_LIST, 0, 0);
    }
    void TearDown() override { main_.Close(); }

    void Pump() {
        MSG msg;
        for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message == WM_QUIT) break;
            DispatchMessageA(&msg);
        }
    }
    HWND ListHandle() { return GetDlgItem(window_->Handle(), IDC_LISTVIEW); }
    void SelectOnly(std::initializer_list<int> rows) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        SendMessageA(ListHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED;
        for (int row : rows) {
            SendMessageA(ListHandle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
        Pump();  // the selection change is reported once it settles
    }
    void ClickColumn(int column) {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = ListHandle();
        click.hdr.idFrom = IDC_LISTVIEW;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageA(window_->Handle(), WM_NOTIFY, IDC_LISTVIEW, reinterpret_cast<LPARAM>(&click));
    }

    // The report the writer makes of the selection, for comparison.
    std::string SelectedReport(int type) {
        const std::string path = TempFilePath("vm_expected_report.txt");
        WinFileSystem files;
        uint32_t error = 0;
        EXPECT_TRUE(WriteReport(window_->List(), window_->Settings(), ActiveLanguageFile().State(),
                                files, type, path, true, &error));
        const std::string text = ReadFileText(path);
        DeleteFileA(path.c_str());
        return text;
    }

    TestMainWindow main_;
    MainWindow* window_ = nullptr;
};

TEST_F(MainWindowCommandsTest, CopyPutsTheTabReportOfTheSelectedRowsOnTheClipboard) {
    window_->Settings().AddExportHeaderLine = 1;
    SelectOnly({0, 2});
    const int scratchBefore = CountTempFiles("cp*.tmp");
    main_.Command(ID_COPY_SELECTED);

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string copied;
    if (data != nullptr) {
        const char* text = static_cast<const char*>(GlobalLock(data));
        if (text != nullptr) copied = text;
        GlobalUnlock(data);
    }
    CloseClipboard();

    // The title line and the two selected rows, every field ended by a tab.
    std::istringstream lines(copied);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_EQ(all.size(), 3u) << copied;
    EXPECT_EQ(all[0].rfind(std::string(GetString(IDS_COLUMN_URL)) + "\t", 0), 0u);
    EXPECT_EQ(all[1].rfind("http://127.0.0.1:1/0\titem 0\t", 0), 0u);
    EXPECT_EQ(all[2].rfind("http://127.0.0.1:1/2\titem 2\t", 0), 0u);
    for (const std::string& l : all) EXPECT_EQ(l.substr(l.size() - 2), "\t\r");
    EXPECT_EQ(copied, SelectedReport(2));
    EXPECT_EQ(CountTempFiles("cp*.tmp"), scratchBefore);  // the scratch file is gone
}

TEST_F(MainWindowCommandsTest, SaveSelectedWritesTheChosenFormatAndRemembersIt) {
    const std::string path = TempFilePath("vm_saved_selection.xml");
    DeleteFileA(path.c_str());
    SelectOnly({1});
    std::string title, filters;
    WhenDialogOpens([&](HWND dialog) {
        char text[256] = {};
        GetWindowTextA(dialog, text, sizeof text);
        title = text;
        HWND types = GetDlgItem(dialog, cmb1);
        const int count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            filters += std::string(text) + "|";
        }
        SendMessageA(types, CB_SETCURSEL, 5, 0);           // XML File
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {  // as a user's pick sends them
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code),
                         reinterpret_cast<LPARAM>(types));
        }
        HWND name = GetDlgItem(dialog, cmb13);
        if (name == nullptr) name = GetDlgItem(dialog, edt1);
        SetWindowTextA(name, path.c_str());
        ClickButton(dialog, IDOK);
        WhenDialogOpens([](HWND left) { ClickButton(left, IDCANCEL); });  // should not run
    });
    main_.Command(ID_SAVE_SELECTED);

    EXPECT_EQ(title, GetString(IDS_SELECT_SAVE_FILE));
    EXPECT_EQ(filters.substr(0, filters.find('|')), "Text File (*.txt)");
    EXPECT_EQ(window_->Settings().SaveFilterIndex, 6);
    const std::string saved = ReadFileText(path);
    EXPECT_EQ(saved.rfind("<?xml", 0), 0u);
    EXPECT_NE(saved.find("<url>http://127.0.0.1:1/1</url>"), std::string::npos);
    EXPECT_EQ(saved.find("127.0.0.1:1/0"), std::string::npos);
    DeleteFileA(path.c_str());
}

TEST_F(MainWindowCommandsTest, CommandStatesFollowSelectionSortAndRun) {
    SelectOnly({0});
    EXPECT_TRUE(main_.MenuEnabled(ID_PROPERTIES));
    SelectOnly({0, 1});
    EXPECT_FALSE(main_.MenuEnabled(ID_PROPERTIES));
    EXPECT_FALSE(main_.ButtonEnabled(ID_PROPERTIES));
    EXPECT_TRUE(main_.ButtonEnabled(ID_COPY_SELECTED));

    const struct {
        const char* step;
        bool startRun;
        bool movable;
    } steps[] = {
        {"ascending by order", false, true},
        {"descending by order", false, false},
        {"ascending again", false, true},
        {"ascending, running", true, false},
    };
    for (const auto& step : steps) {
        if (step.startRun) {
            main_.Command(ID_START_TEST);
        } else {
            ClickColumn(kDownloadOrderColumn);
        }
        EXPECT_EQ(main_.MenuEnabled(ID_MOVE_UP), step.movable) << step.step;
        EXPECT_EQ(main_.MenuEnabled(ID_MOVE_DOWN), step.movable) << step.step;
        EXPECT_EQ(main_.ButtonEnabled(ID_MOVE_UP), step.movable) << step.step;
    }
    main_.Command(ID_STOP_TEST);
    EXPECT_TRUE(main_.MenuEnabled(ID_MOVE_UP));
}

TEST_F(MainWindowCommandsTest, KeepRunHistoryTogglesTheHistoryFileAndItsCheck) {
    const auto checked = [&] {
        return (GetMenuState(GetMenu(window_->Handle()), ID_KEEP_RUN_HISTORY, MF_BYCOMMAND) &
                MF_CHECKED) != 0;
    };
    EXPECT_EQ(window_->Settings().HistoryFile, "");
    EXPECT_FALSE(checked());
    main_.Command(ID_KEEP_RUN_HISTORY);
    EXPECT_EQ(window_->Settings().HistoryFile, "velocimark_history.jsonl");
    EXPECT_TRUE(checked());
    main_.Command(ID_KEEP_RUN_HISTORY);
    EXPECT_EQ(window_->Settings().HistoryFile, "");
    EXPECT_FALSE(checked());
    EXPECT_TRUE(main_.MenuEnabled(ID_SPEED_HISTORY));
}

TEST_F(MainWindowCommandsTest, EndOfSessionSavesTheListAndLeavesAWindowThatStillTakesCommands) {
    const std::string config = TempFilePath("vm_end_of_session.cfg");
    DeleteFileA(config.c_str());
    {
        ArgumentList arguments;
        arguments.Parse(("/config \"" + config + "\"").c_str());
        const StartupOptions options = ReadStartupOptions(arguments);
        MainWindow saving(arguments, options);
        ASSERT_TRUE(saving.Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480));
        saving.List().AddItem(DownloadItem("http://127.0.0.1:1/kept", "", 0));
        SendMessageA(saving.Handle(), WM_QUERYENDSESSION, 0, 0);
        EXPECT_NE(ReadFileText(config).find("http://127.0.0.1:1/kept"), std::string::npos);
        DestroyWindow(saving.Handle());
    }
    DeleteFileA(config.c_str());

    SendMessageA(window_->Handle(), WM_QUERYENDSESSION, 0, 0);
    main_.Command(ID_START_TEST);
    main_.Command(ID_MOVE_TO_NEXT);
    EXPECT_FALSE(window_->IsRunning());
    SendMessageA(window_->Handle(), WM_CLEAR_LIST, 0, 0);
    EXPECT_EQ(window_->List().ItemCount(), 0u);
    EXPECT_FALSE(main_.MenuEnabled(ID_START_TEST));
}

}  // namespace
}  // namespace vm
