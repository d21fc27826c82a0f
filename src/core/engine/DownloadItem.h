#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/SharedText.h"
#include "core/platform/Clock.h"

namespace vm {

// The bounds of an item's texts. Longer texts are kept whole (in memory and in the saved
// file, never cut into another URL or path); an attempt at a URL or local path over its
// bound fails with the platform's error instead of fetching something else.
constexpr size_t kMaxUrlLength = 4095;
constexpr size_t kMaxNameLength = 255;
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

// One entry of the download list and the results of its latest attempt. A plain value:
// copying it copies everything (the error text is shared, and never changes in place).
struct DownloadItem {
    int32_t deleted = 0;
    int32_t disabled = 0;
    int32_t order = 0;
    std::string url;
    std::string name;
    int32_t minSpeed = 0;            // KB/s; 0: DefaultMinSpeed applies
    int32_t connections = 0;         // 1-16 at once; 0: DefaultConnections applies
    int32_t compareConnections = 0;  // measured with one connection first; 0: the default
    int32_t repeat = 0;              // measurements in a row; 0: DefaultRepeat applies
    int32_t latencyProbe = 0;  // 1: measure latency idle and under load; 0: as DefaultLatencyProbe
    uint64_t bytes = 0;
    FileTime startTime = 0;
    uint32_t startTick = 0;
    uint32_t attemptTick = 0;
    uint32_t retries = 0;
    uint32_t duration = 0;
    // The start and the duration on the microsecond clock; speeds are bytes over
    // durationUs. startMicro 0: the start was not stamped on it, durations come from ticks.
    uint64_t startMicro = 0;
    uint64_t durationUs = 0;
    DownloadStatus status = DownloadStatus::Waiting;
    uint32_t errorCode = 0;
    int32_t serverStatus = 0;
    SharedText errorText;
    double speedKBps = 0;
    double speedKbitps = 0;
    double history[kSpeedHistorySize] = {};
    // Finished below its minimum speed; judged when the item's last attempt ends.
    bool belowMinSpeed = false;
    // How far the speed of its URL has dropped below the usual ("drop" alert firing after
    // the run), in percent; 0 = no drop.
    int32_t speedDownPercent = 0;

    DownloadItem() = default;
    // A new item for a URL and a display name, both kept whole.
    DownloadItem(const std::string& url, const std::string& name, int32_t order);

    void SetUrl(const std::string& text);
    void SetName(const std::string& text);
    void SetErrorText(const std::string& text);
    void SetErrorText(const SharedText& text);

    bool HasStarted() const { return (startTime >> 32) != 0; }
    bool IsPending() const {
        return status == DownloadStatus::Waiting || status == DownloadStatus::Connecting;
    }

    void ResetResults();

    // Updates the durations (when started) and both average speeds at the given moment: on
    // the microsecond clock when the start was stamped on it (duration is then durationUs
    // in whole milliseconds), else from the ticks. A finished item with bytes took at least
    // a microsecond, never 0 KB/s.
    void RecomputeSpeed(uint32_t nowTick, uint64_t nowMicro = 0);
};

// Whether a run of these items tests nothing: the list is empty, or every item is disabled
// or marked for deletion.
bool NoItemToTest(const std::vector<DownloadItem>& items);

}  // namespace vm
