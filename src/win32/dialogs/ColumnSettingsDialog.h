#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/list/ColumnSettings.h"
#include "win32/window/DialogBase.h"

namespace vm {

class DownloadListView;

// Column Settings (dialog 1096): a check-box list of the columns in display order with
// Move Up/Down, Show/Hide, Default and the width of the selected column. The decisions are
// ColumnSettings'; this class mirrors them into the controls and back.
class ColumnSettingsDialog : public CommandDialog {
public:
    // titles: the list's column titles, by column index.
    ColumnSettingsDialog(ColumnSettings& settings, std::vector<std::string> titles);

    INT_PTR OnInitDialog() override;
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnNotify(WPARAM wParam, LPARAM lParam) override;

private:
    void FillList();
    // Writes every row of the model into the list (texts, row parameters, checks, selection).
    void ShowRows();
    void OnItemChanged(const NMLISTVIEW& change);
    void OnClick(const NMITEMACTIVATE& click);
    void UpdateButtons(size_t row, bool newlySelected);
    void ShowWidth(size_t row);

    ColumnSettings& settings_;
    std::vector<std::string> titles_;
    bool writingRows_ = false;
    bool settingWidth_ = false;
};

// Opens the dialog over the list's columns and, on OK, applies the chosen layout to the
// list (and so to the saved "Columns" value and every report). The list has the keyboard
// focus afterwards in every case. True when the layout was applied.
bool ShowColumnSettings(HWND owner, HWND listWindow, DownloadListView& list);

}  // namespace vm
