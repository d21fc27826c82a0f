#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/chart/AxisTicks.h"
#include "core/chart/Downsample.h"
#include "core/report/HistoryReader.h"

namespace vm {

// Bounds that keep the results page small whatever the history holds: a trend chart
// draws at most kMaxTrendPoints runs, an item's chart at most kMaxSamplePoints speeds.
constexpr size_t kMaxTrendPoints = 240;
constexpr size_t kMaxSamplePoints = 300;

// No axis of the page carries more ticks than this, whatever the span.
constexpr int kMaxChartTicks = 12;
// Bars whose values span more than this factor are drawn on a logarithmic scale: on a
// linear one the slow mirrors beside a loopback download would have no visible bar.
constexpr double kLogScaleRatio = 20;

// The page's own words, already in UTF-8.
struct ChartTexts {
    std::string speedUnit;  // "KB/Sec"
    std::string speed;      // the speed curve's key
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
    std::string logScale;     // "log scale"
    std::string pathChanged;  // a run answered by another server or cache status
};

// An item's speed as steps in KB/s over seconds: every sample interval flat over its own
// span, the first from 0, the last to the end of the download (the bytes after the last
// sample), so the curve's area is the item's bytes and its average lies within it.
std::vector<ChartPoint> ItemSpeedSteps(const RunItemRecord& item);

// Where bars of the given values end: a linear scale from 0, or a logarithmic one on
// whole decades when the positive values span more than kLogScaleRatio.
struct BarScale {
    bool logarithmic = false;
    double low = 0;  // of the scale (a power of ten when logarithmic)
    double high = 1;
    std::vector<AxisTick> ticks;
    // A value's place between the ends, 0..1; values at or below low give 0.
    double Share(double value) const;
};
BarScale ChooseBarScale(const std::vector<double>& values);

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
