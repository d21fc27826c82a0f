#include "core/chart/TrendStats.h"

#include <algorithm>

namespace vm {

TrendStats ComputeTrendStats(std::vector<double> values) {
    TrendStats stats;
    stats.count = values.size();
    if (values.empty()) return stats;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    stats.minimum = *low;
    stats.maximum = *high;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    stats.median = values[middle];
    if (values.size() % 2 == 0) {
        // The lower middle is the largest of the values the selection left below.
        const double lower =
            *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
        stats.median = (lower + stats.median) / 2;
    }
    return stats;
}

}  // namespace vm
