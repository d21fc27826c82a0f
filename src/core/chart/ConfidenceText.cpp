#include "core/chart/ConfidenceText.h"

#include <cstdio>

#include "core/engine/RepeatRules.h"
#include "core/engine/SteadySpeed.h"
#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

constexpr size_t kMaxConfidenceText = 512;

// The coefficient of variation as a percentage with one decimal.
std::string SpreadPercent(double cv) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", cv * 100);
    return text;
}

}  // namespace

std::string ConfidenceFigures(const DownloadItem& item, const ItemMeasurements* measurements,
                              ChartUnit unit) {
    SpeedStats stats;
    Confidence confidence = Confidence::Low;
    if (!ItemConfidence(item, measurements, &stats, &confidence)) return std::string();
    const char* word = GetString(IDS_CONFIDENCE_LOW + static_cast<uint32_t>(confidence));
    const std::string spread = SpreadPercent(stats.cv);
    char text[kMaxConfidenceText];
    int length = 0;
    double steady = 0;
    if (measurements != nullptr && measurements->repeats.size() >= 2) {
        const std::string median = FormatChartSpeed(stats.median, unit);
        length = std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIDENCE_REPEATS), word,
                               static_cast<int>(measurements->repeats.size()), median.c_str(),
                               spread.c_str());
    } else if (stats.n > 0 && measurements != nullptr &&
               SteadySpeed(measurements->samples, &steady)) {
        const std::string speed = FormatChartSpeed(steady, unit);
        length = std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIDENCE_STEADY), word,
                               speed.c_str(), spread.c_str());
    } else {
        length = std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIDENCE_ONLY), word);
    }
    return length > 0 ? std::string(text) : std::string();
}

}  // namespace vm
