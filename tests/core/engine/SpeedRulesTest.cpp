#include <gtest/gtest.h>

#include "core/engine/SpeedRules.h"

namespace vm {
namespace {

DownloadItem WithHistory(double a, double b, double c, double d, double e) {
    DownloadItem item;
    const double h[5] = {a, b, c, d, e};
    std::copy(h, h + 5, item.history);
    return item;
}

TEST(SpeedRules, ShiftHistoryPushesTheCurrentSpeedFirst) {
    DownloadItem item = WithHistory(5, 4, 3, 2, 1);
    item.speedKBps = 6;
    ShiftHistory(item);
    const double expected[5] = {6, 5, 4, 3, 2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(item.history[i], expected[i]);
}

TEST(SpeedRules, StableDeviation) {
    struct Case {
        DownloadItem item;
        int32_t unit;
        bool available;
        double value;
    } cases[] = {
        {WithHistory(100, 98, 103, 101, 99), 1, true, 3},
        {WithHistory(100, 98, 103, 101, 99), 2, true, 3},
        {WithHistory(50, 25, 50, 50, 50), 1, true, 50},
        {WithHistory(100, 98, 103, 101, 99), 3, false, 0},
        {WithHistory(0, 98, 103, 101, 99), 1, false, 0},
        {WithHistory(100, 98, 103, 101, 0), 1, false, 0},
        {WithHistory(7, 7, 7, 7, 7), 1, true, 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(StableDeviation(c.item, c.unit, &value), c.available);
        if (c.available) {
            EXPECT_DOUBLE_EQ(value, c.value);
        }
    }
}

TEST(SpeedRules, SizeLimitIs64Bit) {
    struct Case {
        int32_t size;
        int32_t unit;
        uint64_t bytes;
    } cases[] = {
        {5000, 2, 5120000},
        {4096, 3, 4294967296ULL},
        {2147483647, 3, 2147483647ULL * 1048576},
        {5000, 1, 0},
        {-5, 2, 0},
        {0, 3, 0},
    };
    for (const Case& c : cases) {
        AppSettings s;
        s.AutoStopSize = c.size;
        s.AutoStopSizeUnit = c.unit;
        EXPECT_EQ(AutoStopSizeBytes(s), c.bytes) << c.size << " " << c.unit;
    }
    EXPECT_EQ(SecondsToMs(5000000), 5000000000ULL);
    EXPECT_EQ(SecondsToMs(-1), 0u);
}

}  // namespace
}  // namespace vm
