#include "core/engine/SpeedThreshold.h"

#include "core/engine/RepeatRules.h"
#include "core/engine/SteadySpeed.h"

namespace vm {

int32_t EffectiveMinSpeed(const DownloadItem& item, const AppSettings& settings) {
    if (item.minSpeed > 0) return item.minSpeed;
    return settings.DefaultMinSpeed > 0 ? settings.DefaultMinSpeed : 0;
}

double JudgedSpeed(const DownloadItem& item, const ItemMeasurements* measurements, bool* steady) {
    // Measured several times: the median measurement.
    if (measurements != nullptr && measurements->repeats.size() >= 2) {
        const SpeedStats stats = RepeatSpeedStats(measurements->repeats);
        if (stats.n > 0) {
            if (steady != nullptr) *steady = false;
            return stats.median;
        }
    }
    double bytesPerSecond = 0;
    const bool haveSteady =
        measurements != nullptr && SteadySpeed(measurements->samples, &bytesPerSecond);
    if (steady != nullptr) *steady = haveSteady;
    return haveSteady ? bytesPerSecond : item.speedKBps * 1024;
}

bool IsBelowMinSpeed(double bytesPerSecond, int32_t minSpeedKBps) {
    if (minSpeedKBps <= 0) return false;
    // Both sides in bytes per second: 64-bit product, exact in a double.
    return bytesPerSecond < static_cast<double>(int64_t{minSpeedKBps} * 1024);
}

void JudgeItemSpeed(DownloadItem& item, const ItemMeasurements* measurements,
                    const AppSettings& settings) {
    // A download done in no measurable time has no speed to judge (its average reads 0).
    item.belowMinSpeed =
        item.status == DownloadStatus::Finished && item.disabled == 0 && item.duration > 0 &&
        IsBelowMinSpeed(JudgedSpeed(item, measurements), EffectiveMinSpeed(item, settings));
}

}  // namespace vm
