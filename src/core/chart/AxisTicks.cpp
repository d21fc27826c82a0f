#include "core/chart/AxisTicks.h"

#include <cmath>
#include <cstdio>

namespace vm {
namespace {

constexpr int kMaxDecimals = 9;
// Floating division leaves 0.30000000000000004 / 0.1 a hair above 3; whole steps within
// this share of a step count as whole.
constexpr double kStepSlack = 1e-9;

double Finite(double value) { return std::isfinite(value) ? value : 0.0; }

int ClampIntervals(int maxIntervals) {
    if (maxIntervals < 1) return 1;
    if (maxIntervals > kMaxAxisTicks - 1) return kMaxAxisTicks - 1;
    return maxIntervals;
}

// Steps of 1, 2 and 5 times a power of ten, the smallest first from about raw / 10 on.
double RoundStep(double low, double high, int maxIntervals) {
    const double raw = (high - low) / maxIntervals;
    double magnitude = std::pow(10.0, std::floor(std::log10(raw)) - 1);
    for (int decade = 0; decade < 4; ++decade, magnitude *= 10) {
        for (double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * magnitude;
            const double count =
                std::ceil(high / step - kStepSlack) - std::floor(low / step + kStepSlack);
            if (count <= maxIntervals) return step;
        }
    }
    return magnitude;
}

// Seconds between time ticks, shortest first; past the table, whole hours.
constexpr double kTimeSteps[] = {0.1, 0.2, 0.5, 1,   2,    5,    10,   15,    30,   60,
                                 120, 300, 600, 900, 1800, 3600, 7200, 18000, 36000};

}  // namespace

std::string FormatGroupedNumber(double value, int decimals, char groupSeparator) {
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    value = Finite(value);
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.*f", decimals, value);
    std::string text = digits;
    // A value that rounds to zero shows no sign.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    if (groupSeparator == '\0') return text;
    const size_t start = text[0] == '-' ? 1 : 0;
    size_t point = text.find('.');
    if (point == std::string::npos) point = text.size();
    for (size_t at = point; at > start + 3;) {
        at -= 3;
        text.insert(at, 1, groupSeparator);
    }
    return text;
}

std::string FormatMinutesSeconds(double seconds) {
    seconds = Finite(seconds);
    const bool negative = seconds < 0;
    // Large enough for any span a run can have, small enough not to overflow.
    double whole = std::floor(std::fabs(seconds) + 0.5);
    if (whole > 1e12) whole = 1e12;
    const long long total = static_cast<long long>(whole);
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld:%02lld", negative && total > 0 ? "-" : "", total / 60,
                  total % 60);
    return text;
}

ValueAxis MakeValueAxis(double low, double high, int maxIntervals, char groupSeparator) {
    low = Finite(low);
    high = Finite(high);
    maxIntervals = ClampIntervals(maxIntervals);
    // A span too small for doubles to tell its steps apart counts as empty.
    if (!(high - low > std::fabs(low) * 1e-12) || !std::isfinite(high - low)) {
        if (!std::isfinite(high - low)) {
            low = low / 2;
            high = high / 2;
        } else {
            high = low + 1;
        }
    }
    ValueAxis axis;
    axis.step = RoundStep(low, high, maxIntervals);
    const double first = std::floor(low / axis.step + kStepSlack);
    double last = std::ceil(high / axis.step - kStepSlack);
    if (last < first + 1) last = first + 1;
    if (last > first + maxIntervals) last = first + maxIntervals;
    axis.low = first * axis.step;
    axis.high = last * axis.step;
    if (axis.step < 1) {
        axis.decimals = static_cast<int>(std::ceil(-std::log10(axis.step) - kStepSlack));
        if (axis.decimals > kMaxDecimals) axis.decimals = kMaxDecimals;
    }
    for (double index = first; index <= last + 0.5; index += 1) {
        const double value = index * axis.step;
        axis.ticks.push_back({value, FormatGroupedNumber(value, axis.decimals, groupSeparator)});
    }
    return axis;
}

TimeAxis MakeTimeAxis(double spanSeconds, int maxIntervals) {
    spanSeconds = Finite(spanSeconds);
    if (spanSeconds <= 0) spanSeconds = 1;
    maxIntervals = ClampIntervals(maxIntervals);
    TimeAxis axis;
    double step = 0;
    for (double candidate : kTimeSteps) {
        if (std::ceil(spanSeconds / candidate - kStepSlack) <= maxIntervals) {
            step = candidate;
            break;
        }
    }
    if (step == 0) {
        step = 36000;
        while (std::ceil(spanSeconds / step - kStepSlack) > maxIntervals) step *= 2;
    }
    axis.step = step;
    const double count = std::ceil(spanSeconds / step - kStepSlack);
    axis.high = count * step;
    axis.minutesSeconds = axis.high >= 120 && step >= 1;
    const int decimals = step < 1 ? 1 : 0;
    for (double index = 0; index <= count + 0.5; index += 1) {
        const double value = index * step;
        axis.ticks.push_back({value, axis.minutesSeconds ? FormatMinutesSeconds(value)
                                                         : FormatGroupedNumber(value, decimals)});
    }
    return axis;
}

}  // namespace vm
