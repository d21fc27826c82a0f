#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/chart/Downsample.h"

namespace vm {
namespace {

std::vector<ChartPoint> Ramp(size_t count) {
    std::vector<ChartPoint> points;
    for (size_t i = 0; i < count; ++i) {
        points.push_back({static_cast<double>(i), static_cast<double>(i % 100)});
    }
    return points;
}

bool Has(const std::vector<ChartPoint>& points, double x, double y) {
    return std::any_of(points.begin(), points.end(),
                       [&](const ChartPoint& p) { return p.x == x && p.y == y; });
}

bool InOrder(const std::vector<ChartPoint>& points) {
    return std::is_sorted(points.begin(), points.end(),
                          [](const ChartPoint& a, const ChartPoint& b) { return a.x < b.x; });
}

TEST(Downsample, KeepsPeaksDropsAndEnds) {
    std::vector<ChartPoint> points = Ramp(10000);
    points[4321].y = 5000;          // a burst
    points[7777].y = -40;           // a drop
    points[123].x = points[122].x;  // two samples in one instant
    const std::vector<ChartPoint> result = DownsampleMinMax(points, 50);
    EXPECT_LE(result.size(), 100u);
    EXPECT_TRUE(Has(result, 4321, 5000));
    EXPECT_TRUE(Has(result, 7777, -40));
    EXPECT_TRUE(Has(result, 0, 0));
    EXPECT_TRUE(Has(result, 9999, 99));
    EXPECT_TRUE(InOrder(result));
}

TEST(Downsample, SmallAndOddInputs) {
    struct Case {
        size_t count, buckets, expectedMax;
    } cases[] = {
        {0, 10, 0}, {1, 10, 1}, {20, 10, 20}, {21, 10, 20}, {1000, 1, 4}, {1000, 0, 1000},
    };
    for (const Case& c : cases) {
        const std::vector<ChartPoint> result = DownsampleMinMax(Ramp(c.count), c.buckets);
        EXPECT_LE(result.size(), c.expectedMax) << c.count << "/" << c.buckets;
        if (c.count > 0) {
            EXPECT_GE(result.size(), std::min<size_t>(c.count, 2));
        }
    }
    // Every point at the same time (a clock that did not move): the count decides.
    std::vector<ChartPoint> still(1000, ChartPoint{3, 1});
    still[500].y = 9;
    const std::vector<ChartPoint> result = DownsampleMinMax(still, 10);
    EXPECT_LE(result.size(), 20u);
    EXPECT_TRUE(Has(result, 3, 9));
}

TEST(Downsample, AGrowingSeriesStaysBoundedAndKeepsItsPeak) {
    std::vector<ChartPoint> series;
    const size_t kMax = 4096;
    for (size_t i = 0; i < 18000; ++i) {  // an hour of samples every 200 ms
        series.push_back({i * 0.2, i == 9001 ? 1e6 : 100.0 + static_cast<double>(i % 7)});
        CompactSeries(series, kMax);
        ASSERT_LT(series.size(), kMax);
    }
    EXPECT_TRUE(Has(series, 9001 * 0.2, 1e6));
    EXPECT_TRUE(InOrder(series));
    EXPECT_EQ(0.0, series.front().x);
    EXPECT_GT(series.size(), kMax / 4);  // and still detailed
}

}  // namespace
}  // namespace vm
