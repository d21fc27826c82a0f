// The URL input commands and the Find and Column Settings dialogs, driven in-process on the
// main window through their command and control ids.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "core/lang/LanguageFile.h"
#include "core/list/ItemCells.h"
#include "core/report/ReportWriter.h"
#include "resource.h"
#include "win32/dialogs/AddUrlsDialog.h"
#include "win32/dialogs/FindDialog.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {
namespace {

// Controls of the common Find dialog.
constexpr int kFindEdit = 0x480;
constexpr int kFindWholeWord = 0x410;
constexpr int kFindMatchCase = 0x411;

class UrlInputDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(configPath_.c_str());
        ASSERT_TRUE(main_.Open());
        list_ = GetDlgItem(main_.Handle(), IDC_LISTVIEW);
    }
    void TearDown() override {
        main_.Close();
        DeleteFileA(configPath_.c_str());
    }

    DownloadListView& List() { return window_->List(); }

    void AddNames(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            List().AddItem(DownloadItem(std::string("http://host/") + name, name,
                                        static_cast<int32_t>(List().ItemCount())));
        }
        List().SetSortCode(kColumnOrder);
        List().Reload();
    }
    std::vector<std::string> StorageNames() {
        std::vector<std::string> names;
        for (const DownloadItem& item : List().Items()) names.push_back(item.name);
        return names;
    }
    void SelectRows(std::initializer_list<int> rows) {
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(list_, row, LVIS_SELECTED, LVIS_SELECTED);
    }
    std::vector<int> SelectedRows() {
        std::vector<int> rows;
        for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(list_, row, LVNI_SELECTED)) {
            rows.push_back(row);
        }
        return rows;
    }

    const std::string configPath_ =
        TempFilePath("urlinput" + std::to_string(GetCurrentProcessId()) + ".cfg");
    TestMainWindow main_{"/config \"" + configPath_ + "\""};
    MainWindow* window_ = &main_.Window();
    HWND list_ = nullptr;
};

TEST_F(UrlInputDialogsTest, ATypedListIsAddedAndSaved) {
    AddNames({"old"});
    SIZE smallest = {}, minimum = {};
    LONG editGrowth = 0;
    WhenDialogOpens([&](HWND dialog) {
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_ADD_URLS_EDIT));
        const RECT before = ChildRect(dialog, IDC_ADD_URLS_EDIT);
        RECT window;
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + 80,
                     window.bottom - window.top + 40, SWP_NOMOVE | SWP_NOZORDER);
        editGrowth = ChildRect(dialog, IDC_ADD_URLS_EDIT).right - before.right;
        SetWindowPos(dialog, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
        GetWindowRect(dialog, &window);
        smallest = {window.right - window.left, window.bottom - window.top};
        minimum = DialogUnitsWindowSize(dialog, kAddUrlsMinWidthDlu, kAddUrlsMinHeightDlu);
        SetDlgItemTextA(
            dialog, IDC_ADD_URLS_EDIT,
            "http://a/x.zip   My test\r\nnot a url\r\n\"C:\\my files\\b.bin\" Local copy\r\n");
        ClickButton(dialog, IDOK);
    });
    main_.Command(ID_ADD_URLS_LIST);
    EXPECT_EQ(editGrowth, 80);
    EXPECT_GE(smallest.cx, minimum.cx);
    EXPECT_GE(smallest.cy, minimum.cy);
    ASSERT_EQ(List().ItemCount(), 3u);
    EXPECT_EQ(List().ItemAt(1).name, "My test");
    EXPECT_EQ(List().ItemAt(2).url, "C:\\my files\\b.bin");
    EXPECT_EQ(List().ItemAt(2).order, 2);
    EXPECT_EQ(ListView_GetItemCount(list_), 3);
    EXPECT_EQ(GetFocus(), list_);
    const std::string saved = ReadFileText(configPath_);
    EXPECT_NE(saved.find("URL=http://a/x.zip"), std::string::npos) << saved;
    EXPECT_NE(saved.find("DownloadName=Local copy"), std::string::npos) << saved;
    EXPECT_NE(saved.find("NumOfDownloads=3"), std::string::npos) << saved;
}

TEST_F(UrlInputDialogsTest, ADroppedFileIsReadAsAListFirstFileOnly) {
    const std::string first = TempFilePath("vm_drop1.txt");
    const std::string second = TempFilePath("vm_drop2.txt");
    WriteFileText(first, "http://one/ One\rhttp://two/\n");
    WriteFileText(second, "http://three/\n");
    const std::string names = first + '\0' + second + '\0' + '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    SendMessageA(main_.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    ASSERT_EQ(List().ItemCount(), 2u);
    EXPECT_EQ(List().ItemAt(0).name, "One");
    EXPECT_EQ(List().ItemAt(1).url, "http://two/");
    EXPECT_NE(ReadFileText(configPath_).find("NumOfDownloads=2"), std::string::npos);
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
}

TEST_F(UrlInputDialogsTest, MoveUpWithRowsThreeAndFiveSelectedKeepsTheSelection) {
    AddNames({"a", "b", "c", "d", "e", "f"});
    SelectRows({2, 4});
    main_.Command(ID_MOVE_UP);
    EXPECT_EQ(StorageNames(), (std::vector<std::string>{"a", "c", "b", "e", "d", "f"}));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(List().ItemAt(1).order, 1);
    main_.Command(ID_MOVE_DOWN);
    EXPECT_EQ(StorageNames(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 4}));

    List().Sort(kColumnUrl, false);  // not in run order: moving does nothing
    main_.Command(ID_MOVE_UP);
    EXPECT_EQ(StorageNames(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

// The chooser's filter list as the user reads it ("name (pattern)" per line).
std::string ChooserFilters(HWND chooser) {
    std::string filters;
    HWND types = GetDlgItem(chooser, cmb1);
    const int count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        filters += std::string(text) + "|";
    }
    return filters;
}

TEST_F(UrlInputDialogsTest, FocusComesBackToTheListWhenACommandIsDeclined) {
    struct Case {
        UINT command;
        int answer;  // the button that declines the chooser or the question
    };
    const Case cases[] = {
        {ID_SAVE_SELECTED, IDCANCEL},
        {ID_ADD_URLS_FROM_FILE, IDCANCEL},
        {ID_ADD_FILE, IDCANCEL},
        {ID_DELETE_SELECTED, IDNO},
    };
    AddNames({"a", "b"});
    std::string addFileFilters;
    for (const Case& c : cases) {
        SelectRows({1});
        SetFocus(list_);
        bool answered = false;
        WhenDialogOpens([&](HWND dialog) {
            if (c.command == ID_ADD_FILE) addFileFilters = ChooserFilters(dialog);
            ClickButton(dialog, c.answer);
            answered = true;
        });
        main_.Command(c.command);
        EXPECT_TRUE(answered) << c.command;
        EXPECT_EQ(GetFocus(), list_) << c.command;
    }
    EXPECT_EQ(List().ItemCount(), 2u);
    // Add File's one filter has a name to read even without a translation.
    EXPECT_EQ(addFileFilters, "All Files (*.*)|");
}

TEST_F(UrlInputDialogsTest, DeleteAsksFirstAndDisableWorksDuringARun) {
    AddNames({"a", "b", "c"});
    SelectRows({1});
    WhenDialogOpens([](HWND box) { ClickButton(box, IDNO); });
    main_.Command(ID_DELETE_SELECTED);
    EXPECT_EQ(List().ItemCount(), 3u);
    WhenDialogOpens([](HWND box) { ClickButton(box, IDYES); });
    main_.Command(ID_DELETE_SELECTED);
    EXPECT_EQ(StorageNames(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(List().ItemAt(1).order, 1);
    EXPECT_EQ(GetFocus(), list_);

    main_.Command(ID_START_TEST);
    ASSERT_TRUE(window_->IsRunning());
    SelectRows({1});
    main_.Command(ID_DISABLE_SELECTED);
    EXPECT_EQ(List().ItemAt(1).disabled, 1);
    main_.Command(ID_ENABLE_SELECTED);
    EXPECT_EQ(List().ItemAt(1).disabled, 0);
    main_.Command(ID_STOP_TEST);
}

// ---- Column settings ----

int ColumnsRow(HWND dialog, int row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendDlgItemMessageA(dialog, IDC_COLUMNS_LIST, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<int>(item.lParam);
}

bool RowChecked(HWND dialog, int row) {
    return ListView_GetCheckState(GetDlgItem(dialog, IDC_COLUMNS_LIST), row) != 0;
}

void SelectColumnsRow(HWND dialog, int row) {
    ListView_SetItemState(GetDlgItem(dialog, IDC_COLUMNS_LIST), row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

TEST_F(UrlInputDialogsTest, ColumnWidthOrderAndDefault) {
    bool upEnabledOnTop = true;
    std::string shownWidth;
    WhenDialogOpens([&](HWND dialog) {
        upEnabledOnTop = IsWindowEnabled(GetDlgItem(dialog, IDC_COLUMNS_MOVE_UP)) != FALSE;
        SelectColumnsRow(dialog, 1);  // Name
        shownWidth = ItemText(dialog, IDC_COLUMNS_WIDTH);
        SetDlgItemTextA(dialog, IDC_COLUMNS_WIDTH, "55");
        SetDlgItemTextA(dialog, IDC_COLUMNS_WIDTH, "0");  // ignored
        ClickButton(dialog, IDC_COLUMNS_MOVE_UP);
        ClickButton(dialog, IDOK);
    });
    main_.Command(ID_CHOOSE_COLUMNS);
    EXPECT_FALSE(upEnabledOnTop);
    EXPECT_EQ(shownWidth, "150");
    EXPECT_EQ(ListView_GetColumnWidth(list_, kColumnName), 55);
    int order[kDownloadColumnCount] = {};
    ListView_GetColumnOrderArray(list_, kDownloadColumnCount, order);
    EXPECT_EQ(order[0], kColumnName);
    EXPECT_EQ(order[1], kColumnUrl);
    const std::vector<uint8_t> stored = List().LayoutBytes();
    EXPECT_EQ(stored[kColumnName * 4], 55);
    EXPECT_EQ(stored[kColumnName * 4 + 2], 0);
    EXPECT_EQ(GetFocus(), list_);

    // Default restores order, widths and checks without leaving the dialog.
    std::vector<int> columns;
    WhenDialogOpens([&](HWND dialog) {
        ClickButton(dialog, IDC_COLUMNS_DEFAULT);
        for (int row = 0; row < kDownloadColumnCount; ++row) {
            columns.push_back(RowChecked(dialog, row) ? ColumnsRow(dialog, row) : -1);
        }
        shownWidth = ItemText(dialog, IDC_COLUMNS_WIDTH);
        ClickButton(dialog, IDOK);
    });
    main_.Command(ID_CHOOSE_COLUMNS);
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(shownWidth, "300");
    ListView_GetColumnOrderArray(list_, kDownloadColumnCount, order);
    const int widths[] = {300, 150, 100, 100, 100, 100, 120, 110, 110};
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        EXPECT_EQ(order[column], column);
        EXPECT_EQ(ListView_GetColumnWidth(list_, column), widths[column]);
    }
}

TEST_F(UrlInputDialogsTest, HidingAllColumnsButOneGivesOneColumnReports) {
    AddNames({"a", "b"});
    WhenDialogOpens([&](HWND dialog) {
        for (int row = 1; row < kDownloadColumnCount; ++row) {
            SelectColumnsRow(dialog, row);
            ClickButton(dialog, IDC_COLUMNS_HIDE);
        }
        EXPECT_FALSE(RowChecked(dialog, 8));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_COLUMNS_SHOW)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_COLUMNS_HIDE)));
        ClickButton(dialog, IDOK);
    });
    main_.Command(ID_CHOOSE_COLUMNS);
    for (int column = 1; column < kDownloadColumnCount; ++column) {
        EXPECT_EQ(ListView_GetColumnWidth(list_, column), 0) << column;
    }
    WinFileSystem files;
    const std::string report = TempFilePath("vm_columns.txt");
    uint32_t error = 0;
    window_->Settings().AddExportHeaderLine = 1;
    ASSERT_TRUE(WriteReport(List(), window_->Settings(), ActiveLanguageFile().State(), files, 2,
                            report, false, &error));
    EXPECT_EQ(ReadFileText(report), "URL\t\r\nhttp://host/a\t\r\nhttp://host/b\t\r\n");
    DeleteFileA(report.c_str());
}

// ---- Find ----

void FindNextWith(HWND dialog, const char* text, bool matchCase, bool wholeWord) {
    SetDlgItemTextA(dialog, kFindEdit, text);
    CheckDlgButton(dialog, kFindMatchCase, matchCase ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kFindWholeWord, wholeWord ? BST_CHECKED : BST_UNCHECKED);
    ClickButton(dialog, IDOK);
}

TEST_F(UrlInputDialogsTest, FindWrapsAndHonoursMatchCaseAndWholeWord) {
    AddNames({"alpha", "Beta", "gamma", "BETA two", "delta"});
    SelectRows({});
    main_.Command(ID_FIND);
    HWND dialog = ActiveFindDialog();
    ASSERT_NE(dialog, nullptr);
    main_.Command(ID_FIND);  // a second one is not opened
    EXPECT_EQ(ActiveFindDialog(), dialog);

    FindNextWith(dialog, "beta", false, false);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
    FindNextWith(dialog, "beta", false, false);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));
    FindNextWith(dialog, "beta", false, false);  // wraps to the top
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
    FindNextWith(dialog, "BETA", true, false);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));
    FindNextWith(dialog, "beta", true, false);  // no match: the selection stays
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));
    FindNextWith(dialog, "beta", false, true);  // whole cell only: not "BETA two"
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
    FindNextWith(dialog, "beta", false, true);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));

    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(ActiveFindDialog(), nullptr);
    EXPECT_EQ(GetFocus(), list_);
    main_.Command(ID_FIND);
    dialog = ActiveFindDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, kFindEdit), "beta");
    EXPECT_NE(IsDlgButtonChecked(dialog, 0x421), 0u);  // down again
    EXPECT_EQ(IsDlgButtonChecked(dialog, kFindWholeWord), 0u);
    ClickButton(dialog, IDCANCEL);
}

}  // namespace
}  // namespace vm
