#include "core/engine/SteadySpeed.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vm {
namespace {

// Times in microseconds: the tick moves in steps of 10-16 ms, a whole percent of a
// one-second interval.
struct Point {
    uint64_t us;
    uint64_t bytes;
};

double Rate(const Point& from, const Point& to) {
    return static_cast<double>(to.bytes - from.bytes) * 1e6 / static_cast<double>(to.us - from.us);
}

// A sample's data moment in microseconds; samples of a clock without microseconds (older
// records) count in whole milliseconds.
uint64_t DataUs(const SpeedSample& s) {
    return s.dataUs != 0 ? s.dataUs : uint64_t{s.dataMs} * 1000;
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
    return SteadySpeed(samples, bytesPerSecond, nullptr);
}

bool SteadySpeed(const std::vector<SpeedSample>& samples, double* bytesPerSecond,
                 std::vector<double>* intervalRates) {
    std::vector<Point> points;
    points.reserve(samples.size() + 1);
    points.push_back({0, 0});
    for (const SpeedSample& s : samples) {
        // A point must move forward in time and not back in bytes; a stall repeats the
        // last point and adds nothing.
        const uint64_t us = DataUs(s);
        if (us <= points.back().us || s.bytes < points.back().bytes) continue;
        points.push_back({us, s.bytes});
    }
    const size_t last = points.size() - 1;
    size_t warm = 1;
    while (warm <= last && points[warm].us < uint64_t{kSteadyWarmUpMs} * 1000) ++warm;
    if (warm > last) return false;
    while (warm < last && Rate(points[warm], points[warm + 1]) >
                              kSteadyClimbFactor * Rate(points[warm - 1], points[warm])) {
        // A rate still climbing at half time has no steady part to speak of.
        if (points[warm + 1].us > points[last].us / 2) return false;
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
    uint64_t us = 0;
    uint32_t kept = 0;
    std::vector<double> all;
    for (size_t k = warm + 1; k <= last; ++k) {
        const double rate = Rate(points[k - 1], points[k]);
        all.push_back(rate);
        if (outlier(rate)) continue;
        bytes += points[k].bytes - points[k - 1].bytes;
        us += points[k].us - points[k - 1].us;
        ++kept;
    }
    if (kept < kSteadyMinIntervals || us < uint64_t{kSteadyMinMs} * 1000) return false;
    *bytesPerSecond = static_cast<double>(bytes) * 1e6 / static_cast<double>(us);
    if (intervalRates != nullptr) *intervalRates = std::move(all);
    return true;
}

}  // namespace vm
