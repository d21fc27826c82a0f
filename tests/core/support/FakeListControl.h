#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/list/ListViewControl.h"

namespace vm::test {

// A virtual list control in memory: row count, per-row state bits, column geometry and
// counters of what the model asked for.
class FakeListControl : public ListViewControl {
public:
    struct ColumnState {
        int width = 100;
        int position = 0;
        bool readable = true;
    };

    std::vector<uint32_t> state;  // per row
    std::vector<ColumnState> columns;
    int arrowColumn = -1;
    bool arrowDescending = false;
    int64_t lastEnsured = -1;
    int redraws = 0;
    bool shown = true;
    int setRowCounts = 0;
    std::vector<std::string> progressTexts;

    explicit FakeListControl(int columnCount = 9) : columns(columnCount) {
        for (int i = 0; i < columnCount; ++i) columns[i].position = i;
    }

    void SetRowCount(size_t count) override {
        state.resize(count, 0);
        ++setRowCounts;
    }
    void RedrawVisibleRows() override { ++redraws; }
    bool IsShown() const override { return shown; }

    size_t SelectedCount() const override {
        return static_cast<size_t>(
            std::count_if(state.begin(), state.end(), [](uint32_t s) { return s & kRowSelected; }));
    }
    bool IsRowSelected(size_t row) const override {
        return row < state.size() && (state[row] & kRowSelected) != 0;
    }
    int64_t NextSelectedRow(int64_t after) const override {
        for (size_t row = static_cast<size_t>(after + 1); row < state.size(); ++row) {
            if (state[row] & kRowSelected) return static_cast<int64_t>(row);
        }
        return -1;
    }
    int64_t FocusedRow() const override {
        for (size_t row = 0; row < state.size(); ++row) {
            if (state[row] & kRowFocused) return static_cast<int64_t>(row);
        }
        return -1;
    }
    void SetRowState(int64_t row, uint32_t bits, uint32_t mask) override {
        auto apply = [&](uint32_t& s) { s = (s & ~mask) | (bits & mask); };
        if (row == kAllRows) {
            for (uint32_t& s : state) apply(s);
        } else if (row >= 0 && static_cast<size_t>(row) < state.size()) {
            // Like the control: one focused row at most.
            if (bits & mask & kRowFocused) {
                for (uint32_t& s : state) s &= ~kRowFocused;
            }
            apply(state[static_cast<size_t>(row)]);
        }
    }
    void EnsureVisible(size_t row) override { lastEnsured = static_cast<int64_t>(row); }

    bool GetColumn(int column, int* width, int* position) const override {
        if (column < 0 || column >= static_cast<int>(columns.size())) return false;
        if (!columns[column].readable) return false;
        *width = columns[column].width;
        *position = columns[column].position;
        return true;
    }
    void SetColumn(int column, int width, int position, bool setWidth) override {
        if (column < 0 || column >= static_cast<int>(columns.size())) return;
        columns[column].position = position;
        if (setWidth) columns[column].width = width;
    }
    void ShowSortArrow(int column, bool descending) override {
        arrowColumn = column;
        arrowDescending = descending;
    }
    void ShowProgressText(const char* text) override { progressTexts.emplace_back(text); }

    // Test helpers.
    void Select(std::initializer_list<size_t> rows) {
        for (uint32_t& s : state) s &= ~kRowSelected;
        for (size_t row : rows) state.at(row) |= kRowSelected;
    }
    std::vector<size_t> Selected() const {
        std::vector<size_t> rows;
        for (size_t row = 0; row < state.size(); ++row) {
            if (state[row] & kRowSelected) rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace vm::test
