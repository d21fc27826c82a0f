#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/report/HistoryReader.h"

namespace vm {

// Bounds that keep the results page small whatever the history holds: a trend chart
// draws at most kMaxTrendPoints runs, an item's chart at most kMaxSamplePoints speeds.
constexpr size_t kMaxTrendPoints = 240;
constexpr size_t kMaxSamplePoints = 300;

// The page's own words, already in UTF-8.
struct ChartTexts {
    std::string speedUnit;  // "KB/Sec"
    std::string seconds;
    std::string average;
    std::string steady;
    std::string minimum;
    std::string median;
    std::string maximum;
    std::string failed;
    std::string latest;
    std::string runs;
    std::string pointsShown;
    std::string pathChanged;  // a run answered by another server or cache status
};

// The speed of every sample interval of an item in KB/s, at the interval's end in seconds.
struct SpeedPoint {
    double seconds;
    double kbPerSecond;
};
std::vector<SpeedPoint> IntervalSpeeds(const std::vector<RunItemRecord::Sample>& samples);

// The runs a trend chart draws, as indexes into points in time order: all of them up to
// maxPoints, else for each of equal buckets its slowest and fastest run and its first
// failure, and always the latest run.
std::vector<size_t> SelectTrendPoints(const std::vector<TrendPoint>& points, size_t maxPoints);

// One <svg> each: an item's speed over time with its average and steady lines; every item
// of the run as bars; a URL's trend across runs (the points must be in time order).
void AppendItemSpeedChart(std::string& out, const RunItemRecord& item, const ChartTexts& texts);
void AppendComparisonChart(std::string& out, const std::vector<const RunItemRecord*>& items,
                           const ChartTexts& texts);
void AppendTrendChart(std::string& out, const UrlTrend& trend, const ChartTexts& texts);

}  // namespace vm
