#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "core/engine/DownloadItem.h"
#include "core/list/ItemCells.h"
#include "win32/window/DialogBase.h"

namespace vm {

// The Properties dialog (template 105): one caption/value row per column of the download
// list for one item, made at run time from two hidden prototypes. The URL and the name
// rows are editable; OK leaves their texts in Url() and Name().
class PropertiesDialog : public CommandDialog {
public:
    explicit PropertiesDialog(const DownloadItem& item, CellContext context);

    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override;
    // Called before each row is made; this dialog adds nothing there.
    virtual void OnCreateRow(size_t row);
    // A read-only row after the list's columns (what the latest run learnt of the item).
    void AddRow(std::string title, std::string value);

    const std::string& Name() const { return name_; }
    const std::string& Url() const { return url_; }

private:
    void CreateRows();
    INT_PTR ColorReadOnlyField(HDC dc, HWND control);

    DownloadItem item_;  // a copy: the list may change while the dialog is open
    CellContext context_;
    HWND nameField_ = nullptr;
    HWND urlField_ = nullptr;
    std::string name_;
    std::string url_;
    std::vector<std::pair<std::string, std::string>> extraRows_;
};

}  // namespace vm
