#include "win32/app/ListCommands.h"

#include <shellapi.h>

#include "core/app/UrlList.h"
#include "core/base/FilterList.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/dialogs/AddUrlsDialog.h"
#include "win32/dialogs/ColumnSettingsDialog.h"
#include "win32/window/FileChooser.h"
#include "win32/window/FrameWindow.h"

namespace vm {

ListCommands::ListCommands(ListCommandsHost& host, DownloadListView& list, WinListView& control,
                           WinFileSystem& files, const AppSettings& settings)
    : host_(host),
      list_(list),
      control_(control),
      files_(files),
      settings_(settings),
      findMessage_(RegisterWindowMessageA("commdlg_FindReplace")) {}

void ListCommands::AddUrlsList() {
    if (host_.IsRunning()) return;
    AddUrlsDialog dialog;
    if (dialog.DoModal(host_.Owner())) {
        ParseUrlList(list_, dialog.Text());
        host_.RefillList();
        host_.SaveConfiguration();
    }
    FocusList();
}

void ListCommands::AddUrlsFromFile() {
    if (host_.IsRunning()) return;
    const FilterPair filters[] = {
        {GetString(IDS_URL_LIST_FILES), "*.txt"},
        {GetString(IDS_ALL_FILES), "*.*"},
    };
    std::string filterList;
    BuildFilterList(filters, sizeof filters / sizeof filters[0], &filterList);
    std::string path;
    if (ChooseOpenFile(host_.Owner(), &path, filterList, GetString(IDS_SELECT_URL_LIST), "txt")) {
        ReadUrlListFile(path);
    }
    // A closed chooser hands the focus back to the frame, not to the list it came from.
    FocusList();
}

void ListCommands::ReadUrlListFile(const std::string& path) {
    if (!vm::ReadUrlListFile(files_, path, list_)) return;
    host_.RefillList();
    host_.SaveConfiguration();
}

void ListCommands::AddFile() {
    const FilterPair filters[] = {{AddFileFilterName(), "*.*"}};
    std::string filterList;
    BuildFilterList(filters, 1, &filterList);
    std::string path;
    if (ChooseOpenFile(host_.Owner(), &path, filterList, GetString(IDS_SELECT_TEST_FILE),
                       nullptr)) {
        if (AddLocalFile(list_, path)) host_.RefillList();
    }
    FocusList();
}

void ListCommands::OnDropFiles(WPARAM dropHandle) {
    HDROP drop = reinterpret_cast<HDROP>(dropHandle);
    if (drop == nullptr) return;
    char path[kMaxPath + 1] = {};
    const UINT files = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    const UINT length = files > 0 ? DragQueryFileA(drop, 0, path, sizeof path) : 0;
    DragFinish(drop);
    if (length > 0) ReadUrlListFile(path);
}

void ListCommands::DeleteSelected() {
    if (host_.IsRunning() || list_.SelectedCount() == 0) return;
    if (settings_.ConfirmDelete &&
        AskYesNo(host_.Owner(), GetString(IDS_ASK_DELETE_SELECTED)) != IDYES) {
        FocusList();  // the question box left it on the frame
        return;
    }
    list_.DeleteSelected();  // reloads the rows
    host_.RowsChanged();
    FocusList();
}

void ListCommands::SetSelectedDisabled(bool disabled) {
    FocusList();
    list_.SetSelectedDisabled(disabled);
    InvalidateRect(control_.Handle(), nullptr, FALSE);
}

void ListCommands::MoveSelected(bool up) {
    if (host_.IsRunning()) return;
    up ? list_.MoveSelectedUp() : list_.MoveSelectedDown();
}

void ListCommands::OpenFind() { find_.Open(host_.Owner()); }

bool ListCommands::OnFindMessage(UINT message, LPARAM lParam) {
    if (findMessage_ == 0 || message != findMessage_) return false;
    FindRequest request;
    switch (find_.OnRequest(lParam, &request)) {
        case FindAction::Search:
            list_.FindNext(request);
            break;
        case FindAction::Closed:
            FocusList();
            break;
        case FindAction::None:
            break;
    }
    return true;
}

void ListCommands::DeleteAll() {
    if (host_.IsRunning() || list_.ItemCount() == 0) return;
    if (AskYesNo(host_.Owner(), GetString(IDS_ASK_DELETE_ALL)) == IDYES) {
        list_.DeleteAllItems();
        host_.RefillList();
    }
    FocusList();
}

void ListCommands::ChooseColumns() { ShowColumnSettings(host_.Owner(), control_.Handle(), list_); }

}  // namespace vm
