#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/base/TextMatch.h"
#include "core/engine/DownloadItem.h"
#include "core/list/ColumnLayout.h"
#include "core/list/ItemCells.h"
#include "core/list/ListViewControl.h"
#include "core/list/SortCode.h"
#include "core/options/AppSettings.h"

namespace vm {

// Every this many added items the progress text shows the count.
constexpr size_t kLoadingProgressInterval = 50;

// Row images of the download list, by status.
enum RowImage : int {
    kImageIdle = 0,
    kImageFinished = 1,
    kImageFailed = 2,
    kImageRunning = 3,
    kImageSlow = 4,  // finished below its minimum speed
};

constexpr uint32_t kColorBlack = 0x000000;
constexpr uint32_t kDisabledRowBackground = 0xE0E0E0;

// The download list: the item storage (in run order), the rows (in display order), the
// sort, the column layout, selection and find. It drives a ListViewControl, which shows
// the rows and keeps the selection; without one it keeps its own state and reports no
// selection. All on the GUI thread.
class DownloadListView {
public:
    // The settings are read afresh whenever an option matters (DontAddDisabled,
    // ShowTimeInGMT); timeText gives the Start Time texts (none: they are empty).
    DownloadListView(const AppSettings& settings, TimeTextSource* timeText);

    void AttachControl(ListViewControl* control) { control_ = control; }
    ListViewControl* Control() const { return control_; }

    // --- Items, in storage order (the order of a test run) ---
    size_t ItemCount() const { return items_.size(); }
    DownloadItem& ItemAt(size_t index) { return items_[index]; }
    const DownloadItem& ItemAt(size_t index) const { return items_[index]; }
    std::vector<DownloadItem>& Items() { return items_; }
    const std::vector<DownloadItem>& Items() const { return items_; }

    // Appends a copy of the prototype and returns it; it gets no row until a rebuild.
    DownloadItem& AddItem(const DownloadItem& prototype);
    DownloadItem& AddItem(DownloadItem&& item);
    // Empties the storage and the rows.
    void DeleteAllItems();
    // Drops the items of the selected rows, renumbers the rest 0..n-1 in storage order
    // and reloads the rows. Returns how many were dropped.
    size_t DeleteSelected();
    // Sets or clears the disabled flag of the items of the selected rows and redraws.
    void SetSelectedDisabled(bool disabled);
    // Move the selected items one place up or down in storage order, renumbering all;
    // only while the rows show storage order (Sort = Download Order ascending). A
    // selected block already at the edge stays where it is. False when nothing moved.
    bool MoveSelectedUp();
    bool MoveSelectedDown();
    bool CanMoveItems() const { return sortCode_ == kColumnOrder; }

    // --- Rows, in display order ---
    size_t RowCount() const { return rows_.size(); }
    // The storage index of a row's item; false when the row does not exist.
    bool ItemOfRow(size_t row, size_t* index) const;
    // Re-lists the rows: unlisted items lose theirs, new items get one at the end. With
    // resort (a full reload) the rows are re-sorted by the current SortCode and row 0
    // is selected and focused.
    void RebuildRows(bool resort);
    // ClearRows and RebuildRows(true): the full reload after the storage changed.
    void Reload();
    // Shows changed item data: repaints the rows on screen, keeping their order.
    void Refresh();
    // A test run's changes, which may come many times a timer step (a list of refused
    // items ends one a millisecond): noted here and shown by the next timer step's
    // RefreshIfChanged, once, and only while the list is on the screen. A repaint per
    // change would cost the run more than its attempts.
    void MarkChanged() { changed_ = true; }
    bool HasChanges() const { return changed_; }
    // The timer step: repaints the rows on screen when something changed since the last
    // step and the list is shown; true when it did. A hidden list keeps the change for
    // the step after it is shown.
    bool RefreshIfChanged();

    // What the control paints: the text of one cell and the image of one row.
    const char* RowCellText(size_t row, int column, CellBuffer& buffer) const;
    int RowImage(size_t row) const;
    CellContext CellTextContext() const;

    // --- Sort ---
    int32_t SortCode() const { return sortCode_; }
    // The code the next reload sorts by (the stored "Sort" value).
    void SetSortCode(int32_t code) { sortCode_ = code; }
    int32_t AppliedSortCode() const { return appliedSortCode_; }
    // Sorts the rows. kSortKeepCurrent sorts by the current code; fromUser (a header
    // click) on the sorted column reverses the order. The selection follows its items.
    void Sort(int32_t code, bool fromUser);

    // --- Columns ---
    ColumnLayout& Layout() { return layout_; }
    // The layout's stored form ("Columns"), read back from the control first.
    std::vector<uint8_t> LayoutBytes();
    // Applies a stored layout to the model and the control; false when rejected.
    bool ApplyLayoutBytes(const uint8_t* data, size_t size);
    bool ApplyLayoutBytes(const std::vector<uint8_t>& bytes) {
        return ApplyLayoutBytes(bytes.data(), bytes.size());
    }
    // Shown columns in display order, from the control when one is attached.
    const std::vector<int>& ComputeVisibleOrder();

    // --- Selection, as the control reports it ---
    size_t SelectedCount() const;
    bool IsRowSelected(size_t row) const;
    // The first selected row after `after` (kAllRows: from the top); -1 when none.
    int64_t NextSelectedRow(int64_t after) const;
    void SelectAll();
    void DeselectAll();

    // --- Find ---
    bool FindNext(const FindRequest& request);

    // --- Hooks ---
    static bool ItemListed(const DownloadItem& item) { return item.deleted == 0; }
    bool ItemInReport(const DownloadItem& item) const;
    static bool ColumnSearchable(int column);
    bool ItemMatchesFind(const DownloadItem& item, const FindRequest& request) const;
    static int ItemImage(const DownloadItem& item);
    // Colours of a row: disabled items are black on grey; false leaves the defaults.
    static bool ItemDrawColors(const DownloadItem& item, uint32_t* text, uint32_t* background);
    // Items whose order has no rule of its own sort by cell text.
    int CompareItems(int column, const DownloadItem& a, const DownloadItem& b) const;

private:
    // Storage indices of the selected rows' items, and the focused item.
    void ShowLoadingProgress();
    void CaptureSelection(std::vector<size_t>* items, int64_t* focusedItem) const;
    void RestoreSelection(const std::vector<size_t>& items, int64_t focusedItem);
    void SelectAndFocus(size_t row);
    void SortRows(int32_t code);
    bool MoveSelected(bool up);

    const AppSettings& settings_;
    TimeTextSource* timeText_;
    ListViewControl* control_ = nullptr;
    std::vector<DownloadItem> items_;
    std::vector<uint32_t> rows_;         // storage index per row
    std::vector<uint8_t> scratchMarks_;  // per item, reused by rebuild and moves
    std::vector<uint32_t> rowOfItem_;    // per item, reused by selection restore
    ColumnLayout layout_;
    std::vector<int> visibleOrder_;
    int32_t sortCode_ = kDefaultSortCode;
    int32_t appliedSortCode_ = kDefaultSortCode;
    bool changed_ = false;  // a run's change not yet shown
};

}  // namespace vm
