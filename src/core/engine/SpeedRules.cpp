#include "core/engine/SpeedRules.h"

#include <cmath>

namespace vm {

void ShiftHistory(DownloadItem& item) {
    for (int i = kSpeedHistorySize - 1; i > 0; --i) item.history[i] = item.history[i - 1];
    item.history[0] = item.speedKBps;
}

bool StableDeviation(const DownloadItem& item, int32_t unit, double* value) {
    const double newest = item.history[0];
    if (newest == 0) return false;
    double largest = 0;
    for (int i = 1; i < kSpeedHistorySize; ++i) {
        if (item.history[i] == 0) return false;
        const double deviation = std::fabs(item.history[i] - newest);
        if (deviation > largest) largest = deviation;
    }
    if (unit == kStableUnitPercent) {
        *value = largest * 100 / newest;
        return true;
    }
    if (unit == kStableUnitKBps) {
        *value = largest;
        return true;
    }
    return false;
}

uint64_t AutoStopSizeBytes(const AppSettings& settings) {
    if (settings.AutoStopSize <= 0) return 0;
    const uint64_t size = static_cast<uint64_t>(settings.AutoStopSize);
    if (settings.AutoStopSizeUnit == kSizeUnitKB) return size * 1024;
    if (settings.AutoStopSizeUnit == kSizeUnitMB) return size * 1048576;
    return 0;
}

uint32_t RetryLimit(const AppSettings& settings) {
    if (settings.TryAgainOnFail == 0 || settings.NumOfRetries < 0) return 0;
    return static_cast<uint32_t>(settings.NumOfRetries);
}

uint64_t SecondsToMs(int32_t seconds) {
    return seconds <= 0 ? 0 : static_cast<uint64_t>(seconds) * 1000;
}

}  // namespace vm
