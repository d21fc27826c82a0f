#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "core/chart/SvgPlot.h"
#include "core/chart/TrendStats.h"

namespace vm {
namespace {

TEST(TrendStats, MinimumMedianMaximum) {
    struct Case {
        std::vector<double> values;
        size_t count;
        double minimum, median, maximum;
    } cases[] = {
        {{}, 0, 0, 0, 0},
        {{7}, 1, 7, 7, 7},
        {{3, 1, 2}, 3, 1, 2, 3},
        {{4, 1, 3, 2}, 4, 1, 2.5, 4},  // an even count takes the two middle values
        {{5, 5, 1, 9, 5, 5}, 6, 1, 5, 9},
        {{10, 0, 0, 0}, 4, 0, 0, 10},
        {{-1, 8, 3, 100, 2, 6, 4, 7}, 8, -1, 5, 100},
    };
    for (const Case& c : cases) {
        const TrendStats stats = ComputeTrendStats(c.values);
        EXPECT_EQ(stats.count, c.count);
        EXPECT_DOUBLE_EQ(stats.minimum, c.minimum);
        EXPECT_DOUBLE_EQ(stats.median, c.median);
        EXPECT_DOUBLE_EQ(stats.maximum, c.maximum);
    }
}

TEST(SvgPlot, ValuesMapIntoTheAreaWithTheLowestAtTheBottom) {
    PlotArea area;
    area.left = 50;
    area.top = 10;
    area.width = 600;
    area.height = 200;
    area.xMin = 100;
    area.xMax = 400;
    area.yMin = 0;
    area.yMax = 50;
    struct Case {
        double x, y, svgX, svgY;
    } cases[] = {
        {100, 0, 50, 210},    // the lower left corner
        {400, 50, 650, 10},   // the upper right corner
        {250, 25, 350, 110},  // the middle
        {-1e9, -5, 50, 210},  // outside: clamped to the edges, never drawn outside
        {1e9, 1e9, 650, 10},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(area.X(c.x), c.svgX) << c.x;
        EXPECT_DOUBLE_EQ(area.Y(c.y), c.svgY) << c.y;
    }
    // An empty range (one run, one value) puts everything on the start edges.
    area.xMax = area.xMin;
    area.yMax = area.yMin;
    EXPECT_DOUBLE_EQ(area.X(123), 50);
    EXPECT_DOUBLE_EQ(area.Y(7), 210);
}

TEST(SvgPlot, PathData) {
    PlotArea area;
    area.width = 100;
    area.height = 100;
    area.xMax = 10;
    area.yMax = 10;
    EXPECT_EQ(SvgLinePath(area, {}), "");
    EXPECT_EQ(SvgLinePath(area, {{0, 0}, {5, 2.5}, {10, 10}}), "M0 100 L50 75 L100 0");
    EXPECT_EQ(SvgLinePath(area, {{1.0 / 3, 1}}), "M3.3 90");
    std::string text;
    for (const double v : {0.0, -0.04, 12.25, -3.0, std::numeric_limits<double>::infinity()}) {
        AppendSvgNumber(text, v);
        text += ',';
    }
    EXPECT_EQ(text, "0,0,12.3,-3,0,");
}

}  // namespace
}  // namespace vm
