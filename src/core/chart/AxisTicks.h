#pragma once
#include <string>
#include <vector>

namespace vm {

// One labelled mark on an axis.
struct AxisTick {
    double value = 0;
    std::string label;
};

// A value axis: the range widened to whole steps and one tick per step.
struct ValueAxis {
    double low = 0;
    double high = 1;
    double step = 1;
    int decimals = 0;  // of every label
    std::vector<AxisTick> ticks;
};

// A time axis in seconds; labels are whole or decimal seconds ("0", "15", "0.5") while the
// span is short and minutes:seconds ("1:30", "60:00") once it is longer.
struct TimeAxis {
    double high = 1;
    double step = 1;
    bool minutesSeconds = false;
    std::vector<AxisTick> ticks;
};

// Labels never hold more ticks than this, whatever the caller asks.
constexpr int kMaxAxisTicks = 50;

// The smallest step of 1, 2 or 5 times a power of ten that covers low..high in at most
// maxIntervals steps. An empty or inverted range becomes one unit above low; values that
// are not finite count as 0. Labels group thousands with groupSeparator (none for '\0').
ValueAxis MakeValueAxis(double low, double high, int maxIntervals, char groupSeparator = ',');

// Ticks from 0 to at least spanSeconds on steps people read as round times (1, 2, 5, 10,
// 15, 30 s, 1, 2, 5, 10, 15, 30 min, hours...), at most maxIntervals of them.
TimeAxis MakeTimeAxis(double spanSeconds, int maxIntervals);

// A number with the given decimals and its thousands grouped ("12,345.6").
std::string FormatGroupedNumber(double value, int decimals, char groupSeparator = ',');

// Whole seconds as minutes:seconds ("0:05", "75:00").
std::string FormatMinutesSeconds(double seconds);

}  // namespace vm
