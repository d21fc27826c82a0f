#include "core/list/ColumnSettings.h"

#include <utility>

namespace vm {

ColumnSettings::ColumnSettings(std::vector<int> defaultWidths,
                               std::vector<ColumnLayoutEntry> working)
    : defaultWidths_(std::move(defaultWidths)), working_(std::move(working)) {
    defaultWidths_.resize(working_.size(), kShownColumnFallbackWidth);
}

void ColumnSettings::Fill() {
    rows_.clear();
    const size_t count = working_.size();
    std::vector<bool> listed(count, false);
    auto append = [&](size_t column) {
        ColumnLayoutEntry& entry = working_[column];
        ColumnSettingsRow row;
        row.column = static_cast<int>(column);
        row.checked = entry.width > 0;
        if (entry.width <= 0) entry.width = static_cast<int16_t>(defaultWidths_[column]);
        rows_.push_back(row);
        listed[column] = true;
    };
    for (size_t position = 0; position < count; ++position) {
        for (size_t column = 0; column < count; ++column) {
            if (!listed[column] && working_[column].position >= 0 &&
                static_cast<size_t>(working_[column].position) == position) {
                append(column);
            }
        }
    }
    // A position outside the column range cannot come from the list; should one appear,
    // its column is still offered (last) rather than dropped from the committed layout.
    for (size_t column = 0; column < count; ++column) {
        if (!listed[column]) append(column);
    }
    if (!rows_.empty()) rows_[0].selected = true;
}

void ColumnSettings::RestoreDefaults() {
    for (size_t column = 0; column < working_.size(); ++column) {
        working_[column].position = static_cast<int16_t>(column);
        working_[column].width = static_cast<int16_t>(defaultWidths_[column]);
    }
    Fill();
}

void ColumnSettings::SetChecked(size_t row, bool checked) {
    if (row < rows_.size()) rows_[row].checked = checked;
}

void ColumnSettings::SetSelected(size_t row, bool selected) {
    if (row < rows_.size()) rows_[row].selected = selected;
}

bool ColumnSettings::SingleSelectedRow(size_t* row) const {
    size_t found = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].selected) continue;
        if (++found > 1) return false;
        *row = i;
    }
    return found == 1;
}

void ColumnSettings::MoveUp() {
    for (size_t i = 1; i < rows_.size(); ++i) {
        if (rows_[i].selected) std::swap(rows_[i - 1], rows_[i]);
    }
}

void ColumnSettings::MoveDown() {
    for (size_t i = rows_.size(); i-- > 0;) {
        if (rows_[i].selected && i + 1 < rows_.size()) std::swap(rows_[i], rows_[i + 1]);
    }
}

void ColumnSettings::CheckSelected(bool checked) {
    for (ColumnSettingsRow& row : rows_) {
        if (row.selected) row.checked = checked;
    }
}

bool ColumnSettings::TypeWidth(const std::string& text) {
    if (text.empty() || text.size() > kMaxTypedWidthDigits) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    size_t row = 0;
    if (value < kMinTypedColumnWidth || value > kMaxTypedColumnWidth || !SingleSelectedRow(&row)) {
        return false;
    }
    working_[static_cast<size_t>(rows_[row].column)].width = static_cast<int16_t>(value);
    return true;
}

int ColumnSettings::RowWidth(size_t row) const {
    return row < rows_.size() ? working_[static_cast<size_t>(rows_[row].column)].width : 0;
}

std::vector<ColumnLayoutEntry> ColumnSettings::Commit() const {
    std::vector<ColumnLayoutEntry> layout = working_;
    for (size_t i = 0; i < rows_.size(); ++i) {
        ColumnLayoutEntry& entry = layout[static_cast<size_t>(rows_[i].column)];
        entry.position = static_cast<int16_t>(i);
        if (!rows_[i].checked) {
            entry.width = 0;
        } else if (entry.width <= 0) {
            entry.width = kShownColumnFallbackWidth;
        }
    }
    return layout;
}

}  // namespace vm
