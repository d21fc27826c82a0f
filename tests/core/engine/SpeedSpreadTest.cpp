#include <gtest/gtest.h>

#include <vector>

#include "core/engine/RepeatRules.h"
#include "core/engine/SpeedSpread.h"

namespace vm {
namespace {

TEST(SpeedSpread, PercentilesInterpolateOnOddAndEvenCounts) {
    struct Case {
        std::vector<double> speeds;
        double median, p10, p90, min, max, cv;
    };
    const Case cases[] = {
        {{5, 1, 3}, 3, 1.4, 4.6, 1, 5, 2.0 / 3},
        {{4, 1, 3, 2}, 2.5, 1.3, 3.7, 1, 4, 0.5163977794943222},
        {{9, 11, 10}, 10, 9.2, 10.8, 9, 11, 0.1},  // sample standard deviation 1
        {{7}, 7, 7, 7, 7, 7, 0},                   // one measurement has no spread
        {{0, 0, 0}, 0, 0, 0, 0, 0, 0},             // nothing to spread
    };
    for (const Case& c : cases) {
        const SpeedStats s = ComputeSpeedStats(c.speeds);
        EXPECT_EQ(s.n, c.speeds.size());
        EXPECT_DOUBLE_EQ(s.median, c.median) << c.speeds.size();
        EXPECT_NEAR(s.p10, c.p10, 1e-12) << c.speeds.size();
        EXPECT_NEAR(s.p90, c.p90, 1e-12) << c.speeds.size();
        EXPECT_EQ(s.min, c.min);
        EXPECT_EQ(s.max, c.max);
        EXPECT_NEAR(s.cv, c.cv, 1e-12) << c.speeds.size();
    }
    EXPECT_EQ(ComputeSpeedStats({}).n, 0u);
}

TEST(SpeedSpread, ConfidenceBandsAtTheirBoundaries) {
    struct Case {
        size_t n;
        double cv;
        Confidence expected;
    };
    const Case cases[] = {
        {3, 0.0, Confidence::High},         {3, 0.05, Confidence::High},
        {3, 0.0500001, Confidence::Medium}, {100, 0.15, Confidence::Medium},
        {3, 0.1500001, Confidence::Low},    {2, 0.0, Confidence::Low},
        {1, 0.0, Confidence::Low},          {0, 0.0, Confidence::Low},
    };
    for (const Case& c : cases) {
        SpeedStats s;
        s.n = c.n;
        s.median = 1000;
        s.cv = c.cv;
        EXPECT_EQ(JudgeConfidence(s), c.expected) << c.n << " " << c.cv;
    }
    SpeedStats nothing;  // three measurements of no speed at all
    nothing.n = 3;
    EXPECT_EQ(JudgeConfidence(nothing), Confidence::Low);
    EXPECT_STREQ(ConfidenceWord(Confidence::Medium), "medium");
}

// What the confidence of an item is judged on: its repeats' speeds (steady where known),
// else the intervals of its one steady speed; no steady speed is low; only finished
// items have one.
TEST(SpeedSpread, ItemConfidenceJudgesRepeatsElseSteadyIntervals) {
    DownloadItem item("http://a/", "", 0);
    item.status = DownloadStatus::Finished;
    ItemMeasurements m;
    SpeedStats stats;
    Confidence confidence = Confidence::High;
    ASSERT_TRUE(ItemConfidence(item, &m, &stats, &confidence));
    EXPECT_EQ(confidence, Confidence::Low);  // too short for a steady speed

    for (uint32_t s = 1; s <= 8; ++s) {  // 1 MB/s, each second 1% off the next
        SpeedSample sample;
        sample.ms = sample.dataMs = s * 1000;
        sample.us = sample.dataUs = s * 1000000ULL;
        sample.bytes = s * 1000000ULL + (s % 2) * 10000;
        m.samples.push_back(sample);
    }
    ASSERT_TRUE(ItemConfidence(item, &m, &stats, &confidence));
    EXPECT_EQ(confidence, Confidence::High);
    EXPECT_GE(stats.n, 3u);

    const double speeds[] = {1000, 1300, 900, 50};  // the failed one does not count
    for (double speed : speeds) {
        RepeatResult r;
        r.status = speed < 100 ? DownloadStatus::Failed : DownloadStatus::Finished;
        r.averageBytesPerSecond = speed * 2;
        r.hasSteady = true;
        r.steadyBytesPerSecond = speed;
        m.repeats.push_back(r);
    }
    ASSERT_TRUE(ItemConfidence(item, &m, &stats, &confidence));
    EXPECT_EQ(stats.n, 3u);
    EXPECT_DOUBLE_EQ(stats.median, 1000);
    EXPECT_EQ(confidence, Confidence::Low);  // cv 0.19

    item.status = DownloadStatus::Failed;
    EXPECT_FALSE(ItemConfidence(item, &m, &stats, &confidence));
}

}  // namespace
}  // namespace vm
