// The main window's commands that bring URLs in, take them out or move them, and those of
// the Find and Column Settings dialogs.
#include "win32/app/MainWindow.h"

#include <shellapi.h>

#include "core/app/UrlList.h"
#include "core/base/FilterList.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/dialogs/AddUrlsDialog.h"
#include "win32/dialogs/ColumnSettingsDialog.h"
#include "win32/window/FileChooser.h"

namespace vm {

void MainWindow::AddUrlsList() {
    if (IsRunning()) return;
    AddUrlsDialog dialog;
    if (dialog.DoModal(Handle())) {
        ParseUrlList(list_, dialog.Text());
        RefillList();
        ExchangeConfiguration(true);
    }
    SetFocus(listControl_.Handle());
}

void MainWindow::AddUrlsFromFile() {
    if (IsRunning()) return;
    const FilterPair filters[] = {
        {GetString(IDS_URL_LIST_FILES), "*.txt"},
        {GetString(IDS_ALL_FILES), "*.*"},
    };
    std::string filterList;
    BuildFilterList(filters, sizeof filters / sizeof filters[0], &filterList);
    std::string path;
    if (ChooseOpenFile(Handle(), &path, filterList, GetString(IDS_SELECT_URL_LIST), "txt")) {
        ReadUrlListFile(path);
    }
    // A closed chooser hands the focus back to the frame, not to the list it came from.
    SetFocus(listControl_.Handle());
}

void MainWindow::ReadUrlListFile(const std::string& path) {
    if (!vm::ReadUrlListFile(files_, path, list_)) return;
    RefillList();
    ExchangeConfiguration(true);
}

void MainWindow::AddFile() {
    const FilterPair filters[] = {{AddFileFilterName(), "*.*"}};
    std::string filterList;
    BuildFilterList(filters, 1, &filterList);
    std::string path;
    if (ChooseOpenFile(Handle(), &path, filterList, GetString(IDS_SELECT_TEST_FILE), nullptr)) {
        if (AddLocalFile(list_, path)) RefillList();
    }
    SetFocus(listControl_.Handle());
}

// Only the first dropped file is read, and always as a URL list.
void MainWindow::OnDropFiles(WPARAM dropHandle) {
    HDROP drop = reinterpret_cast<HDROP>(dropHandle);
    if (drop == nullptr) return;
    char path[kMaxPath + 1] = {};
    const UINT files = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    const UINT length = files > 0 ? DragQueryFileA(drop, 0, path, sizeof path) : 0;
    DragFinish(drop);
    if (length > 0) ReadUrlListFile(path);
}

void MainWindow::DeleteSelected() {
    if (IsRunning() || list_.SelectedCount() == 0) return;
    if (settings_.ConfirmDelete &&
        AskYesNo(Handle(), GetString(IDS_ASK_DELETE_SELECTED)) != IDYES) {
        SetFocus(listControl_.Handle());  // the question box left it on the frame
        return;
    }
    list_.DeleteSelected();  // reloads the rows
    UpdateStatusText();
    UpdateCommandStates();
    SetFocus(listControl_.Handle());
}

// Allowed during a run: the run skips an item that is disabled when its turn comes.
void MainWindow::SetSelectedDisabled(bool disabled) {
    SetFocus(listControl_.Handle());
    list_.SetSelectedDisabled(disabled);
    InvalidateRect(listControl_.Handle(), nullptr, FALSE);
}

void MainWindow::MoveSelected(bool up) {
    if (IsRunning()) return;
    up ? list_.MoveSelectedUp() : list_.MoveSelectedDown();
}

void MainWindow::OpenFind() { find_.Open(Handle()); }

void MainWindow::OnFindRequest(LPARAM lParam) {
    FindRequest request;
    switch (find_.OnRequest(lParam, &request)) {
        case FindAction::Search:
            list_.FindNext(request);
            break;
        case FindAction::Closed:
            SetFocus(listControl_.Handle());
            break;
        case FindAction::None:
            break;
    }
}

void MainWindow::ChooseColumns() { ShowColumnSettings(Handle(), listControl_.Handle(), list_); }

}  // namespace vm
