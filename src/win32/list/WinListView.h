#pragma once
#include <windows.h>
#include <commctrl.h>

#include "core/list/DownloadListView.h"
#include "core/list/ItemCells.h"
#include "core/list/ListViewControl.h"

namespace vm {

// The download list on screen: a virtual report-mode list view. It keeps only the row
// count and the selection; texts and images come from the model as rows are painted.
class WinListView : public ListViewControl {
public:
    explicit WinListView(DownloadListView& model) : model_(model) {}
    ~WinListView() override;

    // Creates the control with its nine columns and image lists and attaches it to the model.
    bool Create(HWND parent, int controlId);
    HWND Handle() const { return hwnd_; }
    void SetStatusBar(HWND statusBar) { statusBar_ = statusBar; }

    // Notifications from the control; true when handled, with the result in *result.
    bool OnNotify(const NMHDR& header, LRESULT* result);

    void SetExtendedStyle(DWORD bits, bool on);
    // The window moved to a screen of another DPI: columns and images follow.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }
    void AutoSizeColumns();
    // The control's height for its header and `rows` rows, with a scroll bar and edges.
    int HeightOfRows(int rows) const;
    // Sends the header's column order once more: after a layout, Wine's list view can draw
    // the cells of a restored order under the wrong headers until it is told again.
    void ReapplyColumnOrder();

    // ListViewControl
    void SetRowCount(size_t count) override;
    void RedrawVisibleRows() override;
    bool IsShown() const override;
    size_t SelectedCount() const override;
    bool IsRowSelected(size_t row) const override;
    int64_t NextSelectedRow(int64_t after) const override;
    int64_t FocusedRow() const override;
    void SetRowState(int64_t row, uint32_t state, uint32_t mask) override;
    void EnsureVisible(size_t row) override;
    bool GetColumn(int column, int* width, int* position) const override;
    void SetColumn(int column, int width, int position, bool setWidth) override;
    void ShowSortArrow(int column, bool descending) override;
    void ShowProgressText(const char* text) override;

private:
    void FillDisplayInfo(NMLVDISPINFOA& info);
    void CreateImages();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);

    DownloadListView& model_;
    HWND hwnd_ = nullptr;
    HWND statusBar_ = nullptr;
    HIMAGELIST smallImages_ = nullptr;
    HIMAGELIST headerImages_ = nullptr;
    int dpi_ = 96;
    CellBuffer cellBuffer_;
};

}  // namespace vm
