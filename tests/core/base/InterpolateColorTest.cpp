#include <gtest/gtest.h>

#include "core/base/InterpolateColor.h"

namespace vm {
namespace {

TEST(InterpolateColorTest, WhiteToRedOverNinePositions) {
    const uint32_t stops[] = {0xFFFFFF, 0x0000FF};
    EXPECT_EQ(InterpolateColor(stops, 2, 0, 8), 0xFFFFFFu);
    EXPECT_EQ(InterpolateColor(stops, 2, 8, 8), 0x0000FFu);
    // Halfway: 255 + (0 - 255) * 0.5 = 127.5, cut towards zero.
    EXPECT_EQ(InterpolateColor(stops, 2, 4, 8), 0x7F7FFFu);
    // A quarter: 255 - 63.75 = 191.25.
    EXPECT_EQ(InterpolateColor(stops, 2, 2, 8), 0xBFBFFFu);
}

TEST(InterpolateColorTest, OneStopOrNoRangeGivesTheFirstStop) {
    const uint32_t stops[] = {0x123456, 0xABCDEF};
    EXPECT_EQ(InterpolateColor(stops, 1, 5, 8), 0x123456u);
    EXPECT_EQ(InterpolateColor(stops, 2, 5, 0), 0x123456u);
    EXPECT_EQ(InterpolateColor(stops, 0, 0, 0), 0u);
}

TEST(InterpolateColorTest, ThreeStopsUseTheirSegments) {
    const uint32_t stops[] = {0x000000, 0x0000FF, 0x00FF00};
    EXPECT_EQ(InterpolateColor(stops, 3, 5, 10), 0x0000FFu);
    EXPECT_EQ(InterpolateColor(stops, 3, 10, 10), 0x00FF00u);
    EXPECT_EQ(InterpolateColor(stops, 3, 15, 10), 0x00FF00u);  // beyond the end: clamped
}

}  // namespace
}  // namespace vm
