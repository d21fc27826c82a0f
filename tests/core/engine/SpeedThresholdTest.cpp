#include <gtest/gtest.h>

#include "core/engine/SpeedThreshold.h"

namespace vm {
namespace {

TEST(SpeedThreshold, ComparisonAtTheBoundary) {
    const struct {
        double bytesPerSecond;
        int32_t minKBps;
        bool below;
    } cases[] = {
        {1024.0 * 100, 100, false},         // exactly at the minimum: not slow
        {1024.0 * 100 - 0.001, 100, true},  // a thousandth of a byte under it
        {1024.0 * 100 + 0.001, 100, false},
        {102400, 101, true},  // KB are 1024 bytes, not 1000
        {0, 1, true},
        {0, 0, false},  // no minimum: never slow
        {0, -5, false},
        // The largest minimum must not overflow into a small or negative threshold.
        {1e12, 2147483647, true},
        {2147483647.0 * 1024, 2147483647, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsBelowMinSpeed(c.bytesPerSecond, c.minKBps), c.below)
            << c.bytesPerSecond << " vs " << c.minKBps;
    }
}

TEST(SpeedThreshold, ItemMinimumBeforeTheDefault) {
    const struct {
        int32_t item, defaultMin, effective;
    } cases[] = {
        {0, 0, 0}, {0, 50, 50}, {200, 50, 200}, {10, 50, 10}, {-1, 50, 50}, {0, -3, 0},
    };
    for (const auto& c : cases) {
        DownloadItem item;
        item.minSpeed = c.item;
        AppSettings settings;
        settings.DefaultMinSpeed = c.defaultMin;
        EXPECT_EQ(EffectiveMinSpeed(item, settings), c.effective) << c.item << "/" << c.defaultMin;
    }
}

// Samples of a download that climbs for a second, then runs at 100,000 bytes/s for six.
ItemMeasurements SteadyAt100k() {
    ItemMeasurements m;
    m.samples.push_back({1000, 1000, 400000, 400000});
    for (uint32_t s = 2; s <= 7; ++s) {
        m.samples.push_back({s * 1000, s * 1000, 400000 + (s - 1) * 100000ULL, 0});
    }
    return m;
}

TEST(SpeedThreshold, SteadySpeedWhenThereIsOneElseTheAverage) {
    DownloadItem item;
    item.status = DownloadStatus::Finished;
    item.duration = 7000;
    item.speedKBps = 1000 / 1024.0 * 142.857;  // the average, lifted by the head start
    const ItemMeasurements steady = SteadyAt100k();
    ItemMeasurements tooShort;
    tooShort.samples.push_back({1000, 1000, 5000, 5000});
    bool usedSteady = false;

    EXPECT_NEAR(JudgedSpeed(item, &steady, &usedSteady), 100000, 1);
    EXPECT_TRUE(usedSteady);
    EXPECT_NEAR(JudgedSpeed(item, &tooShort, &usedSteady), item.speedKBps * 1024, 1e-6);
    EXPECT_FALSE(usedSteady);
    EXPECT_NEAR(JudgedSpeed(item, nullptr, &usedSteady), item.speedKBps * 1024, 1e-6);
    EXPECT_FALSE(usedSteady);

    // A minimum between the steady speed and the higher average: the steady speed decides.
    AppSettings settings;
    settings.DefaultMinSpeed = 120;  // 122,880 bytes/s
    JudgeItemSpeed(item, &steady, settings);
    EXPECT_TRUE(item.belowMinSpeed);
    JudgeItemSpeed(item, &tooShort, settings);
    EXPECT_FALSE(item.belowMinSpeed);
}

TEST(SpeedThreshold, OnlyAFinishedEnabledItemIsSlow) {
    AppSettings settings;
    settings.DefaultMinSpeed = 1;
    for (DownloadStatus status : {DownloadStatus::Waiting, DownloadStatus::Failed,
                                  DownloadStatus::ConnectTimeout, DownloadStatus::Finished}) {
        DownloadItem item;
        item.status = status;
        item.duration = 1;
        JudgeItemSpeed(item, nullptr, settings);
        EXPECT_EQ(item.belowMinSpeed, status == DownloadStatus::Finished);
        item.duration = 0;
        JudgeItemSpeed(item, nullptr, settings);
        EXPECT_FALSE(item.belowMinSpeed);
        item.duration = 1;
        item.disabled = 1;
        JudgeItemSpeed(item, nullptr, settings);
        EXPECT_FALSE(item.belowMinSpeed);
    }
    DownloadItem item;
    item.belowMinSpeed = true;
    item.ResetResults();  // a new run starts unjudged
    EXPECT_FALSE(item.belowMinSpeed);
}

}  // namespace
}  // namespace vm
