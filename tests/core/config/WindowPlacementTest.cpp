#include <gtest/gtest.h>

#include <cstring>

#include "core/config/WindowPlacement.h"

namespace vm {
namespace {

TEST(WindowPlacement, BytesMatchThePlatformRecord) {
    WindowPlacement p;
    p.length = 44;
    p.showCmd = 1;
    p.minX = p.minY = p.maxX = p.maxY = -1;
    p.left = 100;
    p.top = 100;
    p.right = 740;
    p.bottom = 580;
    uint8_t bytes[kWindowPlacementBytes];
    EncodePlacement(p, bytes);
    const uint8_t expected[kWindowPlacementBytes] = {
        0x2C, 0,    0,    0,    0,    0,    0,    0,    1,    0,    0,    0,    0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x64, 0,
        0,    0,    0x64, 0,    0,    0,    0xE4, 2,    0,    0,    0x44, 2,    0,    0};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);
    const WindowPlacement back = DecodePlacement(bytes);
    EXPECT_EQ(back.right, 740);
    EXPECT_EQ(back.minX, -1);
}

TEST(WindowPlacement, PlausibilityRule) {
    struct Case {
        int32_t left, top, right, bottom;
        uint32_t showCmd;
        bool applied;
    } cases[] = {
        {100, 100, 740, 580, 1, true},
        {100, 100, 120, 580, 1, false},  // 20 wide
        {100, 100, 121, 580, 1, true},
        {100, 100, 740, 120, 1, false},  // 20 high
        {-500, 0, 5, 400, 1, false},     // right edge at 5
        {-500, 0, 6, 400, 1, true},
        {0, -11, 400, 400, 1, false},
        {0, -10, 400, 400, 1, true},
        {1004, 0, 1400, 400, 1, false},  // left + 20 reaches the screen width 1024
        {1003, 0, 1400, 400, 1, true},
        {0, 748, 400, 900, 1, false},    // top + 20 reaches the height 768
        {100, 100, 740, 580, 0, false},  // no show command
        {100, 100, 740, 580, 3, true},
        {INT32_MIN, 0, INT32_MAX, 400, 1, true},  // no overflow in the width
        {0, 0, 0, 0, 0, false},                   // nothing stored
    };
    for (const Case& c : cases) {
        WindowPlacement p;
        p.left = c.left;
        p.top = c.top;
        p.right = c.right;
        p.bottom = c.bottom;
        p.showCmd = c.showCmd;
        EXPECT_EQ(PlacementIsPlausible(p, 1024, 768), c.applied)
            << c.left << "," << c.top << "," << c.right << "," << c.bottom << " " << c.showCmd;
    }
}

}  // namespace
}  // namespace vm
