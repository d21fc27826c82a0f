#include "core/engine/SteadySpeed.h"

#include <algorithm>
#include <cmath>

namespace vm {
namespace {

struct Point {
    uint32_t ms;
    uint64_t bytes;
};

double Rate(const Point& from, const Point& to) {
    return static_cast<double>(to.bytes - from.bytes) * 1000.0 / (to.ms - from.ms);
}

// The q-quantile of sorted values, interpolated between neighbours.
double Quantile(const std::vector<double>& sorted, double q) {
    const double position = q * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(position);
    if (below + 1 >= sorted.size()) return sorted.back();
    return sorted[below] +
           (position - static_cast<double>(below)) * (sorted[below + 1] - sorted[below]);
}

}  // namespace

bool SteadySpeed(const std::vector<SpeedSample>& samples, double* bytesPerSecond) {
    std::vector<Point> points;
    points.reserve(samples.size() + 1);
    points.push_back({0, 0});
    for (const SpeedSample& s : samples) {
        // A point must move forward in time and not back in bytes; a stall repeats the
        // last point and adds nothing.
        if (s.dataMs <= points.back().ms || s.bytes < points.back().bytes) continue;
        points.push_back({s.dataMs, s.bytes});
    }
    const size_t last = points.size() - 1;
    size_t warm = 1;
    while (warm <= last && points[warm].ms < kSteadyWarmUpMs) ++warm;
    if (warm > last) return false;
    while (warm < last && Rate(points[warm], points[warm + 1]) >
                              kSteadyClimbFactor * Rate(points[warm - 1], points[warm])) {
        // A rate still climbing at half time has no steady part to speak of.
        if (points[warm + 1].ms > points[last].ms / 2) return false;
        ++warm;
    }
    if (last - warm < kSteadyMinIntervals) return false;

    // The intervals after the warm-up, less the outliers.
    std::vector<double> rates;
    for (size_t k = warm + 1; k <= last; ++k) rates.push_back(Rate(points[k - 1], points[k]));
    std::sort(rates.begin(), rates.end());
    const double median = Quantile(rates, 0.5);
    const double q1 = Quantile(rates, 0.25);
    const double q3 = Quantile(rates, 0.75);
    const double spread = kSteadyFenceFactor * (q3 - q1);
    const auto outlier = [&](double rate) {
        const bool outsideFences = rate < q1 - spread || rate > q3 + spread;
        return outsideFences && std::fabs(rate - median) > kSteadyMinDeviation * median;
    };
    uint64_t bytes = 0;
    uint64_t ms = 0;
    uint32_t kept = 0;
    for (size_t k = warm + 1; k <= last; ++k) {
        if (outlier(Rate(points[k - 1], points[k]))) continue;
        bytes += points[k].bytes - points[k - 1].bytes;
        ms += points[k].ms - points[k - 1].ms;
        ++kept;
    }
    if (kept < kSteadyMinIntervals || ms < kSteadyMinMs) return false;
    *bytesPerSecond = static_cast<double>(bytes) * 1000.0 / static_cast<double>(ms);
    return true;
}

}  // namespace vm
