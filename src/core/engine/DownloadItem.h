#pragma once
#include <cstdint>
#include <string>

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
// copying it copies everything.
struct DownloadItem {
    int32_t deleted = 0;
    int32_t disabled = 0;
    int32_t order = 0;
    std::string url;
    std::string name;
    int32_t minSpeed = 0;      // KB/s; 0: DefaultMinSpeed applies
    int32_t latencyProbe = 0;  // 1: measure latency idle and under load; 0: as DefaultLatencyProbe
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
    // Finished below its minimum speed; judged when the item's last attempt ends.
    bool belowMinSpeed = false;

    DownloadItem() = default;
    // A new item for a URL and a display name, both kept whole.
    DownloadItem(const std::string& url, const std::string& name, int32_t order);

    void SetUrl(const std::string& text);
    void SetName(const std::string& text);
    void SetErrorText(const std::string& text);

    bool HasStarted() const { return (startTime >> 32) != 0; }
    bool IsPending() const {
        return status == DownloadStatus::Waiting || status == DownloadStatus::Connecting;
    }

    void ResetResults();

    // Updates duration (when started) and both average speeds at the given tick. A finished
    // item with bytes takes at least 1 ms.
    void RecomputeSpeed(uint32_t nowTick);
};

}  // namespace vm
