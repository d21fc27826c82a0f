#include "core/engine/SpeedSpread.h"

#include <algorithm>
#include <cmath>

namespace vm {
namespace {

double Quantile(const std::vector<double>& sorted, double q) {
    const double position = q * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(position);
    if (below + 1 >= sorted.size()) return sorted.back();
    return sorted[below] +
           (position - static_cast<double>(below)) * (sorted[below + 1] - sorted[below]);
}

}  // namespace

SpeedStats ComputeSpeedStats(std::vector<double> speeds) {
    SpeedStats stats;
    stats.n = speeds.size();
    if (speeds.empty()) return stats;
    std::sort(speeds.begin(), speeds.end());
    stats.min = speeds.front();
    stats.max = speeds.back();
    stats.median = Quantile(speeds, 0.5);
    stats.p10 = Quantile(speeds, 0.1);
    stats.p90 = Quantile(speeds, 0.9);
    if (speeds.size() < 2) return stats;
    double sum = 0;
    for (double s : speeds) sum += s;
    const double mean = sum / static_cast<double>(speeds.size());
    if (mean <= 0) return stats;
    double squares = 0;
    for (double s : speeds) squares += (s - mean) * (s - mean);
    stats.cv = std::sqrt(squares / static_cast<double>(speeds.size() - 1)) / mean;
    return stats;
}

Confidence JudgeConfidence(const SpeedStats& stats) {
    if (stats.n < kConfidenceMinMeasurements || stats.median <= 0) return Confidence::Low;
    if (stats.cv <= kConfidenceHighCv) return Confidence::High;
    if (stats.cv <= kConfidenceMediumCv) return Confidence::Medium;
    return Confidence::Low;
}

const char* ConfidenceWord(Confidence confidence) {
    switch (confidence) {
        case Confidence::High:
            return "high";
        case Confidence::Medium:
            return "medium";
        case Confidence::Low:
            break;
    }
    return "low";
}

}  // namespace vm
