#pragma once
#include <cstddef>
#include <cstdint>

namespace vm {

// Row state bits, as the control keeps them.
constexpr uint32_t kRowSelected = 0x2;
constexpr uint32_t kRowFocused = 0x1;
// A row argument meaning every row.
constexpr int64_t kAllRows = -1;

// The on-screen list the download list model drives. It shows the model's rows virtually:
// it holds only the row count and the selection and asks the model for the texts and
// images of the rows it paints, so a refresh costs what the visible rows cost.
class ListViewControl {
public:
    virtual ~ListViewControl() = default;

    // The number of rows; the control asks for the texts of the rows it shows.
    virtual void SetRowCount(size_t count) = 0;
    // Repaints the rows on screen with fresh texts and images.
    virtual void RedrawVisibleRows() = 0;
    // The control is on the screen: false in a window that was never shown (a hidden
    // export run) or is minimised, where nobody sees a repaint.
    virtual bool IsShown() const { return true; }

    // Selection and focus, as the user left them.
    virtual size_t SelectedCount() const = 0;
    virtual bool IsRowSelected(size_t row) const = 0;
    // The first selected row after `after` (kAllRows: from the top); -1 when none.
    virtual int64_t NextSelectedRow(int64_t after) const = 0;
    // The focused row; -1 when none.
    virtual int64_t FocusedRow() const = 0;
    // Sets the bits of mask to those of state on one row, or on every row (kAllRows).
    virtual void SetRowState(int64_t row, uint32_t state, uint32_t mask) = 0;
    virtual void EnsureVisible(size_t row) = 0;

    // A column's current width and display position; false when it cannot be read.
    virtual bool GetColumn(int column, int* width, int* position) const = 0;
    // Sets a column's display position, and its width when setWidth is true.
    virtual void SetColumn(int column, int width, int position, bool setWidth) = 0;
    // Shows the sort arrow on one column only; -1: on none.
    virtual void ShowSortArrow(int column, bool descending) = 0;

    // Progress text while many items are added (the status bar); optional.
    virtual void ShowProgressText(const char* /*text*/) {}
};

}  // namespace vm
