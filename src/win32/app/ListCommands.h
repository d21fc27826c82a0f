#pragma once
#include <windows.h>

#include <string>

#include "core/list/DownloadListView.h"
#include "core/options/AppSettings.h"
#include "win32/dialogs/FindDialog.h"
#include "win32/list/WinListView.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {

// What the list commands need from the window that hosts the list.
class ListCommandsHost {
public:
    virtual ~ListCommandsHost() = default;
    virtual HWND Owner() const = 0;
    virtual bool IsRunning() const = 0;
    // A full reload of the rows, with the status text and the command states.
    virtual void RefillList() = 0;
    // The status text and the command states after rows went.
    virtual void RowsChanged() = 0;
    // Keeps the list in the configuration at once (a new list is not lost to a crash).
    virtual void SaveConfiguration() = 0;
};

// The main window's commands on the download list: URLs in (typed, from a file, dropped)
// and local files, delete, disable and enable, move, find, and the column settings.
class ListCommands {
public:
    ListCommands(ListCommandsHost& host, DownloadListView& list, WinListView& control,
                 WinFileSystem& files, const AppSettings& settings);

    void AddUrlsList();
    void AddUrlsFromFile();
    void AddFile();
    void ReadUrlListFile(const std::string& path);
    // Only the first dropped file is read, and always as a URL list.
    void OnDropFiles(WPARAM dropHandle);
    void DeleteSelected();
    void DeleteAll();
    // Allowed during a run: the run skips an item that is disabled when its turn comes.
    void SetSelectedDisabled(bool disabled);
    void MoveSelected(bool up);
    void OpenFind();
    // The Find dialog's registered message; false for any other message.
    bool OnFindMessage(UINT message, LPARAM lParam);
    void ChooseColumns();

private:
    void FocusList() { SetFocus(control_.Handle()); }

    ListCommandsHost& host_;
    DownloadListView& list_;
    WinListView& control_;
    WinFileSystem& files_;
    const AppSettings& settings_;
    FindDialog find_;
    UINT findMessage_ = 0;
};

}  // namespace vm
