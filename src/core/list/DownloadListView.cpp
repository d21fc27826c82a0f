#include "core/list/DownloadListView.h"
#include "core/list/ItemCells.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/base/TextSort.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

constexpr uint32_t kSelectedAndFocused = kRowSelected | kRowFocused;

// Orders rows by a column with a rule of its own (Compare).
class RuleOrder {
public:
    RuleOrder(const std::vector<DownloadItem>& items, int32_t code)
        : items_(items), column_(SortColumn(code)), descending_(SortIsDescending(code)) {}

    bool operator()(uint32_t a, uint32_t b) const {
        const int r = CompareItemColumn(items_[a], items_[b], column_);
        return descending_ ? r > 0 : r < 0;
    }

private:
    const std::vector<DownloadItem>& items_;
    int column_;
    bool descending_;
};

}  // namespace

DownloadListView::DownloadListView(const AppSettings& settings, TimeTextSource* timeText)
    : settings_(settings), timeText_(timeText), layout_(kDownloadColumnCount) {}

DownloadItem& DownloadListView::AddItem(const DownloadItem& prototype) {
    items_.push_back(prototype);
    ShowLoadingProgress();
    return items_.back();
}

DownloadItem& DownloadListView::AddItem(DownloadItem&& item) {
    items_.push_back(std::move(item));
    ShowLoadingProgress();
    return items_.back();
}

void DownloadListView::ShowLoadingProgress() {
    if (control_ != nullptr && items_.size() % kLoadingProgressInterval == 0) {
        char text[256];
        std::snprintf(text, sizeof text, GetFormatString(IDS_LOADING),
                      static_cast<int>(items_.size()));
        control_->ShowProgressText(text);
    }
}

void DownloadListView::DeleteAllItems() {
    items_.clear();
    Reload();
}

size_t DownloadListView::DeleteSelected() {
    size_t marked = 0;
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (IsRowSelected(row)) {
            items_[rows_[row]].deleted = 1;
            ++marked;
        }
    }
    if (marked == 0) return 0;
    std::vector<DownloadItem> kept;
    kept.reserve(items_.size() - marked);
    for (DownloadItem& item : items_) {
        if (item.deleted) continue;
        item.order = static_cast<int32_t>(kept.size());
        kept.push_back(std::move(item));
    }
    items_.swap(kept);
    Reload();
    return marked;
}

void DownloadListView::SetSelectedDisabled(bool disabled) {
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (IsRowSelected(row)) items_[rows_[row]].disabled = disabled ? 1 : 0;
    }
    Refresh();
}

bool DownloadListView::MoveSelectedUp() { return MoveSelected(true); }
bool DownloadListView::MoveSelectedDown() { return MoveSelected(false); }

bool DownloadListView::MoveSelected(bool up) {
    if (!CanMoveItems() || items_.size() < 2) return false;
    std::vector<uint8_t>& flag = scratchMarks_;
    flag.assign(items_.size(), 0);
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (IsRowSelected(row)) flag[rows_[row]] = 1;
    }
    // A selected neighbour blocks the exchange, so a block at the edge stays whole.
    bool moved = false;
    auto exchange = [&](size_t i) {
        std::swap(items_[i - 1], items_[i]);
        std::swap(flag[i - 1], flag[i]);
        moved = true;
    };
    const size_t count = items_.size();
    if (up) {
        for (size_t i = 1; i < count; ++i) {
            if (flag[i] && !flag[i - 1]) exchange(i);
        }
    } else {
        for (size_t i = count - 1; i >= 1; --i) {
            if (flag[i - 1] && !flag[i]) exchange(i);
        }
    }
    if (!moved) return false;
    for (size_t i = 0; i < count; ++i) items_[i].order = static_cast<int32_t>(i);
    Refresh();
    if (control_ != nullptr) {
        control_->SetRowState(kAllRows, 0, kRowSelected);
        for (size_t row = 0; row < rows_.size(); ++row) {
            if (flag[rows_[row]])
                control_->SetRowState(static_cast<int64_t>(row), kRowSelected, kRowSelected);
        }
    }
    return true;
}

bool DownloadListView::ItemOfRow(size_t row, size_t* index) const {
    if (row >= rows_.size()) return false;
    *index = rows_[row];
    return true;
}

void DownloadListView::RebuildRows(bool resort) {
    std::vector<size_t> selected;
    int64_t focused = -1;
    if (!resort) CaptureSelection(&selected, &focused);

    std::vector<uint8_t>& mark = scratchMarks_;
    mark.assign(items_.size(), 0);
    for (size_t i = 0; i < items_.size(); ++i) mark[i] = ItemListed(items_[i]) ? 1 : 0;
    // Rows keep their order; a row whose item is gone or unlisted is dropped.
    size_t kept = 0;
    for (uint32_t index : rows_) {
        if (index < items_.size() && mark[index]) {
            mark[index] = 0;
            rows_[kept++] = index;
        }
    }
    rows_.resize(kept);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (mark[i]) rows_.push_back(static_cast<uint32_t>(i));
    }
    if (control_ != nullptr) control_->SetRowCount(rows_.size());

    if (!resort) {
        RestoreSelection(selected, focused);
        Refresh();
        return;
    }
    SortRows(sortCode_);
    if (control_ != nullptr) {
        control_->SetRowState(kAllRows, 0, kSelectedAndFocused);
        if (!rows_.empty()) control_->SetRowState(0, kSelectedAndFocused, kSelectedAndFocused);
    }
    Refresh();
}

void DownloadListView::Reload() {
    rows_.clear();
    if (control_ != nullptr) control_->SetRowCount(0);
    RebuildRows(true);
}

void DownloadListView::Refresh() {
    if (control_ != nullptr) control_->RedrawVisibleRows();
}

bool DownloadListView::RefreshIfChanged() {
    if (!changed_ || control_ == nullptr || !control_->IsShown()) return false;
    changed_ = false;
    control_->RedrawVisibleRows();
    return true;
}

CellContext DownloadListView::CellTextContext() const {
    return CellContext{timeText_, settings_.ShowTimeInGMT != 0};
}

const char* DownloadListView::RowCellText(size_t row, int column, CellBuffer& buffer) const {
    if (row >= rows_.size()) return "";
    return ItemCellText(items_[rows_[row]], column, buffer, CellTextContext());
}

int DownloadListView::RowImage(size_t row) const {
    return row < rows_.size() ? ItemImage(items_[rows_[row]]) : kImageIdle;
}

void DownloadListView::Sort(int32_t code, bool fromUser) {
    if (code == kSortKeepCurrent) code = sortCode_;
    if (fromUser) code = SortCodeForClick(sortCode_, SortColumn(code));
    sortCode_ = code;
    std::vector<size_t> selected;
    int64_t focused = -1;
    CaptureSelection(&selected, &focused);
    SortRows(code);
    RestoreSelection(selected, focused);
    Refresh();
}

void DownloadListView::SortRows(int32_t code) {
    // A stored code may name a column that does not exist: no arrow, and every row
    // compares equal, so the order stays.
    const int column = SortColumn(code);
    if (control_ != nullptr) {
        control_->ShowSortArrow(column < kDownloadColumnCount ? column : -1,
                                SortIsDescending(code));
    }
    appliedSortCode_ = code;
    if (rows_.empty()) return;
    // Stable, so rows that compare equal keep their previous order.
    const DownloadItem& first = items_[rows_[0]];
    if (CompareItemColumn(first, first, column) != kNoCompareRule) {
        std::stable_sort(rows_.begin(), rows_.end(), RuleOrder(items_, code));
        return;
    }
    // The texts of all listed items, NUL-separated, with one offset per item.
    std::vector<char> text;
    std::vector<size_t> offsets(items_.size(), 0);
    text.reserve(rows_.size() * 32);
    CellBuffer buffer;
    const CellContext context = CellTextContext();
    for (uint32_t index : rows_) {
        const char* cell = ItemCellText(items_[index], column, buffer, context);
        offsets[index] = text.size();
        text.insert(text.end(), cell, cell + std::strlen(cell) + 1);
    }
    SortRowsByText(&rows_, text, offsets, SortIsDescending(code));
}

std::vector<uint8_t> DownloadListView::LayoutBytes() {
    if (control_ != nullptr) {
        for (size_t column = 0; column < layout_.ColumnCount(); ++column) {
            int width = 0;
            int position = 0;
            ColumnLayoutEntry entry;
            entry.width = 0;
            entry.position = 0;
            if (control_->GetColumn(static_cast<int>(column), &width, &position)) {
                entry.width = static_cast<int16_t>(width);
                entry.position = static_cast<int16_t>(position);
            }
            layout_.SetEntry(column, entry);
        }
    }
    return layout_.Bytes();
}

bool DownloadListView::ApplyLayoutBytes(const uint8_t* data, size_t size) {
    std::vector<ColumnLayout::Change> changes;
    if (!layout_.ApplyBytes(data, size, &changes)) return false;
    if (control_ != nullptr) {
        for (const ColumnLayout::Change& c : changes) {
            control_->SetColumn(c.column, c.width, c.position, c.widthApplied);
        }
    }
    return true;
}

const std::vector<int>& DownloadListView::ComputeVisibleOrder() {
    if (control_ == nullptr) {
        layout_.VisibleOrder(&visibleOrder_);
        return visibleOrder_;
    }
    std::vector<ColumnLayoutEntry> entries(layout_.ColumnCount());
    for (size_t column = 0; column < entries.size(); ++column) {
        int width = 0;
        int position = 0;
        if (control_->GetColumn(static_cast<int>(column), &width, &position)) {
            entries[column].width = static_cast<int16_t>(std::clamp(width, -1, 32767));
            entries[column].position = static_cast<int16_t>(std::clamp(position, -1, 32767));
        } else {
            entries[column].width = 0;  // unreadable counts as hidden
        }
    }
    VisibleOrderOf(entries, &visibleOrder_);
    return visibleOrder_;
}

size_t DownloadListView::SelectedCount() const {
    return control_ != nullptr ? control_->SelectedCount() : 0;
}

bool DownloadListView::IsRowSelected(size_t row) const {
    return control_ != nullptr && row < rows_.size() && control_->IsRowSelected(row);
}

int64_t DownloadListView::NextSelectedRow(int64_t after) const {
    if (control_ == nullptr) return -1;
    const int64_t row = control_->NextSelectedRow(after);
    return row >= 0 && static_cast<size_t>(row) < rows_.size() ? row : -1;
}

void DownloadListView::SelectAll() {
    if (control_ != nullptr) control_->SetRowState(kAllRows, kRowSelected, kRowSelected);
}

void DownloadListView::DeselectAll() {
    if (control_ != nullptr) control_->SetRowState(kAllRows, 0, kRowSelected);
}

void DownloadListView::SelectAndFocus(size_t row) {
    if (control_ == nullptr) return;
    control_->SetRowState(kAllRows, 0, kSelectedAndFocused);
    control_->EnsureVisible(row);
    control_->SetRowState(static_cast<int64_t>(row), kSelectedAndFocused, kSelectedAndFocused);
}

void DownloadListView::CaptureSelection(std::vector<size_t>* items, int64_t* focusedItem) const {
    items->clear();
    *focusedItem = -1;
    if (control_ == nullptr) return;
    for (int64_t row = control_->NextSelectedRow(kAllRows);
         row >= 0 && static_cast<size_t>(row) < rows_.size();
         row = control_->NextSelectedRow(row)) {
        items->push_back(rows_[static_cast<size_t>(row)]);
    }
    const int64_t focused = control_->FocusedRow();
    if (focused >= 0 && static_cast<size_t>(focused) < rows_.size()) {
        *focusedItem = rows_[static_cast<size_t>(focused)];
    }
}

void DownloadListView::RestoreSelection(const std::vector<size_t>& items, int64_t focusedItem) {
    if (control_ == nullptr) return;
    control_->SetRowState(kAllRows, 0, kSelectedAndFocused);
    if (items.empty() && focusedItem < 0) return;
    rowOfItem_.assign(items_.size(), UINT32_MAX);
    for (size_t row = 0; row < rows_.size(); ++row)
        rowOfItem_[rows_[row]] = static_cast<uint32_t>(row);
    for (size_t item : items) {
        if (item < rowOfItem_.size() && rowOfItem_[item] != UINT32_MAX) {
            control_->SetRowState(rowOfItem_[item], kRowSelected, kRowSelected);
        }
    }
    if (focusedItem >= 0 && static_cast<size_t>(focusedItem) < rowOfItem_.size() &&
        rowOfItem_[focusedItem] != UINT32_MAX) {
        control_->SetRowState(rowOfItem_[focusedItem], kRowFocused, kRowFocused);
    }
}

bool DownloadListView::FindNext(const FindRequest& request) {
    const int64_t count = static_cast<int64_t>(rows_.size());
    if (count == 0) return false;
    int64_t row = 0;
    const int64_t first = control_ != nullptr ? control_->NextSelectedRow(kAllRows) : -1;
    if (first >= 0) row = request.down ? first + 1 : first - 1;
    const int64_t step = request.down ? 1 : -1;
    int wraps = 0;
    auto wrap = [&]() {
        if (row >= count) {
            row = 0;
            ++wraps;
        } else if (row < 0) {
            row = count - 1;
            ++wraps;
        }
    };
    wrap();
    while (wraps < 2) {
        if (ItemMatchesFind(items_[rows_[static_cast<size_t>(row)]], request)) {
            SelectAndFocus(static_cast<size_t>(row));
            return true;
        }
        row += step;
        wrap();
    }
    return false;
}

bool DownloadListView::ItemInReport(const DownloadItem& item) const {
    return !(settings_.DontAddDisabled != 0 && item.disabled != 0);
}

bool DownloadListView::ColumnSearchable(int column) {
    return column >= 0 && column < kDownloadColumnCount;
}

bool DownloadListView::ItemMatchesFind(const DownloadItem& item, const FindRequest& request) const {
    CellBuffer buffer;
    const CellContext context = CellTextContext();
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        if (!ColumnSearchable(column)) continue;
        if (CellMatchesFind(ItemCellText(item, column, buffer, context), request)) return true;
    }
    return false;
}

int DownloadListView::ItemImage(const DownloadItem& item) {
    switch (item.status) {
        case DownloadStatus::Connecting:
        case DownloadStatus::Downloading:
            return kImageRunning;
        case DownloadStatus::Finished:
            return item.belowMinSpeed ? kImageSlow : kImageFinished;
        case DownloadStatus::Failed:
        case DownloadStatus::ConnectTimeout:
            return kImageFailed;
        default:
            return kImageIdle;
    }
}

bool DownloadListView::ItemDrawColors(const DownloadItem& item, uint32_t* text,
                                      uint32_t* background) {
    if (!item.disabled) return false;
    *text = kColorBlack;
    *background = kDisabledRowBackground;
    return true;
}

int DownloadListView::CompareItems(int column, const DownloadItem& a, const DownloadItem& b) const {
    int r = CompareItemColumn(a, b, column);
    if (r != kNoCompareRule) return r;
    CellBuffer x;
    CellBuffer y;
    const CellContext context = CellTextContext();
    return CompareTextNoCase(ItemCellText(a, column, x, context),
                             ItemCellText(b, column, y, context));
}

}  // namespace vm
