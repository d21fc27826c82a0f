#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/engine/SteadySpeed.h"

namespace vm {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// Samples once a second at `phaseMs` into each second, of data that arrives as `bytesAt`
// says (a function of the time since the start).
template <typename Curve>
std::vector<SpeedSample> Sampled(int seconds, uint32_t phaseMs, Curve bytesAt) {
    std::vector<SpeedSample> samples;
    for (int i = 0; i < seconds; ++i) {
        const uint32_t ms = static_cast<uint32_t>(i) * 1000 + phaseMs;
        uint32_t dataMs = 0;
        const uint64_t bytes = bytesAt(ms, &dataMs);
        samples.push_back({ms, dataMs, bytes, 0});
    }
    return samples;
}

// nginx's limit_rate: a second's worth at once, then one burst a second.
uint64_t Staircase(uint32_t ms, uint32_t* dataMs) {
    const uint32_t steps = ms < 5 ? 0 : (ms - 5) / 1000 + 1;
    *dataMs = steps == 0 ? 0 : (steps - 1) * 1000 + 5;
    return steps * 2 * kMiB;
}

TEST(SteadySpeed, BurstsOfAThrottlingServerGiveItsRate) {
    // Wherever the sample ticks fall, right after or right before a burst, the rate is
    // that of the server, while the average counts the head start.
    for (uint32_t phase : {20u, 500u, 990u, 1004u}) {
        double speed = 0;
        ASSERT_TRUE(SteadySpeed(Sampled(9, phase, Staircase), &speed)) << phase;
        EXPECT_DOUBLE_EQ(speed, 2.0 * kMiB) << phase;
    }
}

TEST(SteadySpeed, IntervalsFarOffTheMedianAreLeftOut) {
    // Bursts of 2 MiB a second; the samples at the warm-up's end and at the last second
    // fell between two reads of a burst.
    std::vector<SpeedSample> partial = Sampled(9, 500, Staircase);
    partial[1] = {1500, 1020, 3 * kMiB, 0};
    partial.back() = {8500, 8015, 17 * kMiB + 17, 0};
    // Recorded under Wine on a loaded machine, nginx limit_rate 2m: from the fifth second
    // on, 200 KB (then in another run 90 KB) of every burst stayed unread until the next.
    const std::vector<SpeedSample> recorded = {
        {994, 2, 2088960, 0},      {1994, 1003, 4177920, 0},  {2994, 2004, 6266880, 0},
        {3994, 3005, 8355840, 0},  {4994, 4009, 10240000, 0}, {5994, 5010, 12328960, 0},
        {6995, 6012, 14475264, 0}, {7994, 7022, 16564224, 0}};
    const std::vector<SpeedSample> recorded2 = {
        {992, 2, 2088960, 0},      {1992, 1006, 4177920, 0},  {2992, 2007, 6266880, 0},
        {3992, 3008, 8355840, 0},  {4992, 4014, 10354688, 0}, {5992, 5019, 12443648, 0},
        {6993, 6020, 14532608, 0}, {7992, 7026, 16621568, 0}};
    for (const auto& samples : {partial, recorded, recorded2}) {
        double speed = 0;
        ASSERT_TRUE(SteadySpeed(samples, &speed));
        EXPECT_NEAR(speed, 2.0 * kMiB, 2.0 * kMiB * 0.01) << samples[4].bytes;
    }
}

TEST(SteadySpeed, NoiseIsKeptAndTheWarmUpLastsWhileTheRateClimbs) {
    // KB gained per second, sampled as it arrives: a link 8 % above or below 1 MB/s, whose
    // spread leaves nothing standing out; and a slow start, then a steady 1 MB/s.
    const std::vector<uint64_t> series[] = {
        {1080, 920, 1080, 920, 1080, 920, 1080, 920, 1080, 920, 1080},
        {200, 600, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}};
    for (const std::vector<uint64_t>& gains : series) {
        std::vector<SpeedSample> samples;
        uint64_t bytes = 0;
        for (size_t i = 0; i < gains.size(); ++i) {
            bytes += gains[i] * 1000;
            const uint32_t ms = static_cast<uint32_t>(i + 1) * 1000;
            samples.push_back({ms, ms, bytes, 0});
        }
        double speed = 0;
        ASSERT_TRUE(SteadySpeed(samples, &speed)) << gains[0];
        EXPECT_DOUBLE_EQ(speed, 1000000.0) << gains[0];
    }
}

TEST(SteadySpeed, AbsentWithoutEnoughSteadyData) {
    const auto linear = [](uint32_t ms, uint32_t* dataMs) {
        *dataMs = ms;
        return uint64_t{ms} * 1000;
    };
    const auto climbing = [](uint32_t ms, uint32_t* dataMs) {
        *dataMs = ms;
        return static_cast<uint64_t>(1e6 * (std::pow(1.2, ms / 1000.0) - 1));  // +20 % a second
    };
    double speed = 0;
    EXPECT_FALSE(SteadySpeed({}, &speed));
    EXPECT_FALSE(SteadySpeed(Sampled(3, 1000, linear), &speed));  // 1 s warm-up + 2 s
    EXPECT_FALSE(SteadySpeed(Sampled(30, 1000, climbing), &speed));
    // No data after the first sample: every later sample repeats it.
    EXPECT_FALSE(SteadySpeed(Sampled(10, 1000,
                                     [](uint32_t, uint32_t* dataMs) {
                                         *dataMs = 300;
                                         return uint64_t{5000};
                                     }),
                             &speed));
    // Just enough: three intervals, three seconds after the first.
    ASSERT_TRUE(SteadySpeed(Sampled(4, 1000, linear), &speed));
    EXPECT_DOUBLE_EQ(speed, 1000000.0);
}

}  // namespace
}  // namespace vm
