#include <gtest/gtest.h>

#include "core/base/DpiScale.h"

namespace vm {
namespace {

TEST(DpiScale, SizesScaleAndComeBackUnchanged) {
    const struct {
        int units, dpi, pixels;
    } cases[] = {{100, 96, 100}, {100, 144, 150}, {75, 144, 113}, {100, 192, 200},
                 {75, 120, 94},  {0, 192, 0},     {-5, 192, -10}, {100, 0, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.pixels, ScaleToDpi(c.units, c.dpi)) << c.units << " at " << c.dpi;
        EXPECT_EQ(c.units, ScaleFromDpi(c.pixels, c.dpi)) << c.units << " at " << c.dpi;
    }
    // A stored width survives any number of saves at any DPI of 96 or more.
    for (int dpi = 96; dpi <= 480; dpi += 12) {
        for (int units = 0; units < 2000; units += 7) {
            ASSERT_EQ(units, ScaleFromDpi(ScaleToDpi(units, dpi), dpi)) << units << " " << dpi;
        }
    }
    EXPECT_EQ(16, ImageSizeForDpi(96));
    EXPECT_EQ(16, ImageSizeForDpi(120));
    EXPECT_EQ(24, ImageSizeForDpi(144));
    EXPECT_EQ(24, ImageSizeForDpi(168));
    EXPECT_EQ(32, ImageSizeForDpi(192));
    EXPECT_EQ(32, ImageSizeForDpi(288));
}

}  // namespace
}  // namespace vm
