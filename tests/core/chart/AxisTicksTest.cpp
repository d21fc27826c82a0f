#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/chart/AxisTicks.h"

namespace vm {
namespace {

std::string Labels(const std::vector<AxisTick>& ticks) {
    std::string text;
    for (const AxisTick& tick : ticks) text += (text.empty() ? "" : " ") + tick.label;
    return text;
}

TEST(AxisTicks, ValueAxesUseRoundStepsThatCoverTheRange) {
    struct Case {
        double low, high;
        int intervals;
        const char* labels;
    } cases[] = {
        {0, 1000, 5, "0 200 400 600 800 1,000"},
        {0, 2310.4, 5, "0 500 1,000 1,500 2,000 2,500"},
        {0, 0.37, 4, "0.0 0.1 0.2 0.3 0.4"},
        {0, 0.037, 4, "0.00 0.01 0.02 0.03 0.04"},
        {0, 0.3, 3, "0.0 0.1 0.2 0.3"},  // 0.3 / 0.1 is a hair above 3 in doubles
        {12, 97, 5, "0 20 40 60 80 100"},
        {12, 97, 4, "0 50 100"},
        {-3, 7, 5, "-5 0 5 10"},
        {-3, 7, 6, "-4 -2 0 2 4 6 8"},
        {0, 123456789, 4, "0 50,000,000 100,000,000 150,000,000"},
        {0, 9.5, 10, "0 1 2 3 4 5 6 7 8 9 10"},
    };
    for (const Case& c : cases) {
        const ValueAxis axis = MakeValueAxis(c.low, c.high, c.intervals);
        EXPECT_EQ(c.labels, Labels(axis.ticks)) << c.low << ".." << c.high;
        EXPECT_LE(axis.low, c.low);
        EXPECT_GE(axis.high, c.high);
        EXPECT_LE(static_cast<int>(axis.ticks.size()) - 1, c.intervals);
    }
}

TEST(AxisTicks, DegenerateValueRangesStillGiveAUsableAxis) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double low, high;
    } cases[] = {{0, 0},
                 {5, 5},
                 {7, 2},
                 {nan, nan},
                 {0, inf},
                 {-inf, inf},
                 {1e15, 1e15 + 1e-3},
                 {-1.7e308, 1.7e308}};
    for (const Case& c : cases) {
        const ValueAxis axis = MakeValueAxis(c.low, c.high, 5);
        EXPECT_TRUE(std::isfinite(axis.low) && std::isfinite(axis.high)) << c.low << ".." << c.high;
        EXPECT_LT(axis.low, axis.high) << c.low << ".." << c.high;
        EXPECT_GE(axis.ticks.size(), 2u);
        EXPECT_LE(axis.ticks.size(), static_cast<size_t>(kMaxAxisTicks));
    }
    EXPECT_EQ("0.0 0.2 0.4 0.6 0.8 1.0", Labels(MakeValueAxis(0, 0, 5).ticks));
    // Asking for absurd counts is held to the limit.
    EXPECT_LE(MakeValueAxis(0, 1e6, 100000).ticks.size(), static_cast<size_t>(kMaxAxisTicks));
    EXPECT_EQ(2u, MakeValueAxis(0, 10, 0).ticks.size());
}

TEST(AxisTicks, TimeAxesSwitchToMinutesForLongSpans) {
    struct Case {
        double seconds;
        int intervals;
        const char* labels;
        bool minutes;
    } cases[] = {
        {0.4, 4, "0.0 0.1 0.2 0.3 0.4", false},
        {0, 4, "0.0 0.5 1.0", false},  // a download just begun
        {9, 5, "0 2 4 6 8 10", false},
        {45, 4, "0 15 30 45", false},
        {90, 3, "0 30 60 90", false},
        {100, 4, "0:00 0:30 1:00 1:30 2:00", true},
        {150, 3, "0:00 1:00 2:00 3:00", true},
        {3600, 4, "0:00 15:00 30:00 45:00 60:00", true},
        {3601, 4, "0:00 30:00 60:00 90:00", true},
        {86400, 4, "0:00 600:00 1200:00 1800:00", true},
    };
    for (const Case& c : cases) {
        const TimeAxis axis = MakeTimeAxis(c.seconds, c.intervals);
        EXPECT_EQ(c.labels, Labels(axis.ticks)) << c.seconds;
        EXPECT_EQ(c.minutes, axis.minutesSeconds) << c.seconds;
        EXPECT_GE(axis.high, c.seconds);
    }
}

TEST(AxisTicks, NumberTexts) {
    struct Case {
        double value;
        int decimals;
        char separator;
        const char* text;
    } cases[] = {
        {2048, 1, ',', "2,048.0"}, {999.95, 1, ',', "1,000.0"},   {-1234567, 0, '.', "-1.234.567"},
        {-0.04, 1, ',', "0.0"},    {123, 0, ',', "123"},          {1234, 2, '\0', "1234.00"},
        {-123, 0, ',', "-123"},    {std::nan(""), 1, ',', "0.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, FormatGroupedNumber(c.value, c.decimals, c.separator)) << c.value;
    }
    EXPECT_EQ("0:05", FormatMinutesSeconds(4.6));
    EXPECT_EQ("75:00", FormatMinutesSeconds(4500));
    EXPECT_EQ("0:00", FormatMinutesSeconds(-0.2));
}

}  // namespace
}  // namespace vm
