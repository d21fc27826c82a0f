#include "core/engine/LatencyStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vm {

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double clamped = std::min(std::max(q, 0.0), 1.0);
    const double rank = clamped * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(rank));
    const size_t above = std::min(below + 1, values.size() - 1);
    const double part = rank - static_cast<double>(below);
    return values[below] + (values[above] - values[below]) * part;
}

LatencySummary SummarizeLatency(const std::vector<double>& ms) {
    LatencySummary summary;
    summary.n = ms.size();
    summary.median = Quantile(ms, 0.5);
    summary.p90 = Quantile(ms, 0.9);
    return summary;
}

double TrimmedMean(std::vector<double> values, double trimShare) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto cut =
        static_cast<size_t>(std::floor(static_cast<double>(values.size()) * trimShare));
    const size_t kept = values.size() - std::min(cut, values.size() - 1);
    return std::accumulate(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(kept),
                           0.0) /
           static_cast<double>(kept);
}

uint32_t RoundTripsPerMinute(const std::vector<double>& loadedMs) {
    const double mean = TrimmedMean(loadedMs, kRpmTrimShare);
    if (!(mean > 0)) return 0;
    return static_cast<uint32_t>(std::lround(std::min(60000.0 / mean, 4e9)));
}

bool ProbeBudget::Allows(uint64_t downloadBytes, uint64_t probeBytes) const {
    const double after = static_cast<double>(spent_ + probeBytes);
    return after <= kProbeByteShare * (static_cast<double>(downloadBytes) + after);
}

}  // namespace vm
