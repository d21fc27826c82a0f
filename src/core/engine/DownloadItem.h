#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/platform/Clock.h"
#include "core/platform/TimeText.h"

namespace vm {

constexpr size_t kMaxUrlLength = 4095;
constexpr size_t kMaxNameLength = 255;
constexpr size_t kMaxStatusCellText = 4095;
constexpr size_t kMaxCellText = 1023;
constexpr int kSpeedHistorySize = 5;

enum class DownloadStatus : int32_t {
    Waiting = 1,
    Connecting = 2,
    Downloading = 3,
    Finished = 4,
    Failed = 5,
    ConnectTimeout = 6,
};

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

// One entry of the download list and the results of its latest attempt. A plain value:
// copying it copies everything.
struct DownloadItem {
    int32_t deleted = 0;
    int32_t disabled = 0;
    int32_t order = 0;
    std::string url;
    std::string name;
    uint64_t bytes = 0;
    FileTime startTime = 0;
    uint32_t startTick = 0;
    uint32_t attemptTick = 0;
    uint32_t retries = 0;
    uint32_t duration = 0;
    DownloadStatus status = DownloadStatus::Waiting;
    uint32_t errorCode = 0;
    int32_t serverStatus = 0;
    std::string errorText;
    double speedKBps = 0;
    double speedKbitps = 0;
    double history[kSpeedHistorySize] = {};

    DownloadItem() = default;
    // A new item for a URL and a display name; both are cut to their limits.
    DownloadItem(const std::string& url, const std::string& name, int32_t order);

    void SetUrl(const std::string& text);
    void SetName(const std::string& text);
    void SetErrorText(const std::string& text);

    bool HasStarted() const { return (startTime >> 32) != 0; }
    bool IsPending() const {
        return status == DownloadStatus::Waiting || status == DownloadStatus::Connecting;
    }

    void ResetResults();

    // Updates duration (when started) and both average speeds at the given tick.
    void RecomputeSpeed(uint32_t nowTick);

    // The text of one column: the stored text itself, or a text written into buffer.
    const char* CellText(int column, CellBuffer& buffer, const CellContext& context) const;

    // -1, 0 or +1 as this item sorts before, with or after the other on the column;
    // kNoCompareRule for columns sorted by their text.
    int Compare(int column, const DownloadItem& other) const;
};

// The text of a time stamp: local time (or UTC with showTimeInGmt) as the user's short
// date, a space and the user's time; empty for a zero or pre-1986 stamp.
std::string FormatItemTime(FileTime time, bool showTimeInGmt, TimeTextSource& source);

// The same into a caller's buffer; returns the buffer.
const char* FormatItemTime(FileTime time, bool showTimeInGmt, TimeTextSource& source, char* out,
                           size_t size);

}  // namespace vm
