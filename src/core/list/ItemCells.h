#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/engine/DownloadItem.h"
#include "core/platform/TimeText.h"

namespace vm {

constexpr size_t kMaxStatusCellText = 4095;

enum DownloadColumn : int {
    kColumnUrl = 0,
    kColumnName = 1,
    kColumnStatus = 2,
    kColumnSpeedBytes = 3,
    kColumnSpeedBits = 4,
    kColumnDownloaded = 5,
    kColumnStartTime = 6,
    kColumnDuration = 7,
    kColumnOrder = 8,
    kDownloadColumnCount = 9,
};

// Compare's answer for columns that have no rule of their own: compare the cell texts.
constexpr int kNoCompareRule = 255;

// The caller's buffer for computed cell texts; big enough for the longest (Status).
using CellBuffer = std::array<char, kMaxStatusCellText + 1>;

// What a cell's text depends on besides the item.
struct CellContext {
    TimeTextSource* timeText = nullptr;  // none: Start Time cells are empty
    bool showTimeInGmt = false;
};

// The text of one column: the item's stored text itself, or a text written into buffer.
const char* ItemCellText(const DownloadItem& item, int column, CellBuffer& buffer,
                         const CellContext& context);

// -1, 0 or +1 as a sorts before, with or after b on the column; kNoCompareRule for columns
// sorted by their text.
int CompareItemColumn(const DownloadItem& a, const DownloadItem& b, int column);

// The text of a time stamp: local time (or UTC with showTimeInGmt) as the user's short
// date, a space and the user's time; empty for a zero or pre-1986 stamp.
std::string FormatItemTime(FileTime time, bool showTimeInGmt, TimeTextSource& source);

// The same into a caller's buffer; returns the buffer.
const char* FormatItemTime(FileTime time, bool showTimeInGmt, TimeTextSource& source, char* out,
                           size_t size);

}  // namespace vm
