#pragma once
#include <cstddef>
#include <vector>

namespace vm {

// The spread of a set of speeds (bytes per second): the repeats of an item, or the
// intervals of one download that its steady speed kept.
struct SpeedStats {
    size_t n = 0;
    double median = 0;
    double p10 = 0;  // percentiles interpolated between neighbours of the sorted speeds
    double p90 = 0;
    double min = 0;
    double max = 0;
    // The sample standard deviation over the mean; 0 for fewer than two speeds or a mean
    // of 0 (nothing to spread).
    double cv = 0;
};

// n = 0 gives all zeros.
SpeedStats ComputeSpeedStats(std::vector<double> speeds);

// How far a speed can be trusted. Bands of the coefficient of variation: 5% is the
// stability tolerance of the IETF responsiveness draft; fewer than three measurements
// say nothing of spread at all.
enum class Confidence { Low = 0, Medium = 1, High = 2 };
constexpr size_t kConfidenceMinMeasurements = 3;
constexpr double kConfidenceHighCv = 0.05;
constexpr double kConfidenceMediumCv = 0.15;

Confidence JudgeConfidence(const SpeedStats& stats);
// "low", "medium", "high".
const char* ConfidenceWord(Confidence confidence);

}  // namespace vm
