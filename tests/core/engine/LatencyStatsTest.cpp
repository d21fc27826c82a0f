#include <gtest/gtest.h>

#include "core/engine/LatencyStats.h"

namespace vm {
namespace {

TEST(LatencyStats, QuantilesInterpolateBetweenRanks) {
    struct Case {
        std::vector<double> values;
        double q;
        double expected;
    } cases[] = {
        {{}, 0.5, 0},
        {{7}, 0.9, 7},
        {{3, 1, 2}, 0.5, 2},
        {{1, 2, 3, 4}, 0.5, 2.5},
        {{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, 0.9, 91},
        {{5, 1}, 1.5, 5},  // clamped
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(Quantile(c.values, c.q), c.expected);
    const LatencySummary s = SummarizeLatency({4, 1, 3, 2, 5});
    EXPECT_EQ(s.n, 5u);
    EXPECT_DOUBLE_EQ(s.median, 3);
    EXPECT_DOUBLE_EQ(s.p90, 4.6);
}

TEST(LatencyStats, TrimmedMeanAndRoundTripsPerMinute) {
    std::vector<double> values(19, 100.0);
    values.push_back(10000);  // one in twenty: the 5% left out
    EXPECT_DOUBLE_EQ(TrimmedMean(values, 0.05), 100);
    EXPECT_EQ(RoundTripsPerMinute(values), 600u);
    // Fewer than twenty times: nothing to trim.
    EXPECT_DOUBLE_EQ(TrimmedMean({100, 300}, 0.05), 200);
    EXPECT_EQ(RoundTripsPerMinute({}), 0u);
    EXPECT_EQ(RoundTripsPerMinute({0, 0}), 0u);
    EXPECT_EQ(RoundTripsPerMinute({0.7}), 85714u);
}

TEST(LatencyStats, ProbesStayWithinFivePercentOfTheBytesMoved) {
    ProbeBudget budget;
    EXPECT_FALSE(budget.Allows(0, 500));    // nothing moved yet
    EXPECT_TRUE(budget.Allows(9500, 500));  // exactly 5% of 10,000
    EXPECT_FALSE(budget.Allows(9499, 500));
    budget.Spend(500);
    EXPECT_FALSE(budget.Allows(9500, 500));  // 1,000 of 10,500
    EXPECT_TRUE(budget.Allows(19000, 500));  // 1,000 of 20,000
    EXPECT_EQ(budget.Spent(), 500u);
}

}  // namespace
}  // namespace vm
