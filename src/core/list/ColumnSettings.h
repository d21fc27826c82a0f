#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/list/ColumnLayout.h"

namespace vm {

// Widths the user may type for the selected column; anything else is ignored.
constexpr int kMinTypedColumnWidth = 1;
constexpr int kMaxTypedColumnWidth = 999;
constexpr size_t kMaxTypedWidthDigits = 3;
// A column committed as shown without a width gets this one.
constexpr int16_t kShownColumnFallbackWidth = 100;

// One row of the column settings list: a column of the download list, shown or not.
struct ColumnSettingsRow {
    int column = 0;
    bool checked = false;
    bool selected = false;
};

// What the Column Settings dialog edits: a working copy of the list's layout and the rows
// that show it (one per column, in display order, checked = shown). Nothing reaches the
// list before Commit.
class ColumnSettings {
public:
    // defaultWidths: one per column; working: width and display position of each column as
    // the list shows them now.
    ColumnSettings(std::vector<int> defaultWidths, std::vector<ColumnLayoutEntry> working);

    // Lists the columns in display order; a hidden column is unchecked and gets its default
    // width (so showing it later gives that width). Row 0 is selected.
    void Fill();
    // Every column back to its own position and default width, then Fill.
    void RestoreDefaults();

    size_t RowCount() const { return rows_.size(); }
    const ColumnSettingsRow& Row(size_t row) const { return rows_[row]; }
    const std::vector<ColumnSettingsRow>& Rows() const { return rows_; }
    void SetChecked(size_t row, bool checked);
    void SetSelected(size_t row, bool selected);
    // The only selected row; false when none or several are selected.
    bool SingleSelectedRow(size_t* row) const;

    // Each selected row changes place with its neighbour, checks and selection included.
    void MoveUp();
    void MoveDown();
    // Checks (Show) or unchecks (Hide) every selected row.
    void CheckSelected(bool checked);

    // The text typed into the width box: 1 to 999 becomes the width of the one selected
    // row's column. False (and no change) for anything else.
    bool TypeWidth(const std::string& text);
    int RowWidth(size_t row) const;

    // Enabling rules for the selected row.
    bool CanMoveUp(size_t row) const { return row > 0; }
    bool CanMoveDown(size_t row) const { return row + 1 < rows_.size(); }
    bool CanShow(size_t row) const { return !rows_[row].checked; }
    bool CanHide(size_t row) const { return rows_[row].checked; }

    // The layout to apply: positions by row, width 0 for unchecked rows.
    std::vector<ColumnLayoutEntry> Commit() const;
    const std::vector<ColumnLayoutEntry>& Working() const { return working_; }

private:
    std::vector<int> defaultWidths_;
    std::vector<ColumnLayoutEntry> working_;
    std::vector<ColumnSettingsRow> rows_;
};

}  // namespace vm
