#pragma once
#include <cstddef>
#include <vector>

namespace vm {

// The spread of a URL's speeds across runs.
struct TrendStats {
    size_t count = 0;  // 0: no value, the others are 0
    double minimum = 0;
    double median = 0;  // of an even count, the mean of the two middle values
    double maximum = 0;
};

// In linear time (a selection, not a sort), so a long history costs no more than reading it.
TrendStats ComputeTrendStats(std::vector<double> values);

}  // namespace vm
