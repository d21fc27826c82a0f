#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/chart/SeriesPalette.h"
#include "core/chart/SpeedChart.h"
#include "core/chart/SpeedTrace.h"
#include "core/list/ItemCells.h"
#include "core/list/SortCode.h"
#include "support/FakeTranslation.h"

namespace vm {
namespace {

using test::FakeTranslation;
using test::ScopedTranslation;

constexpr FileTime kStart = 0x01DC000000000000ull;

// A download at a constant rate, one step every 200 ms for the given seconds.
SpeedTrace SteadyTrace(double bytesPerSecond, int seconds) {
    RunSpeedTraces traces;
    for (uint32_t ms = 0; ms <= static_cast<uint32_t>(seconds) * 1000; ms += 200) {
        traces.Record(0, kStart, ms, static_cast<uint64_t>(bytesPerSecond * ms / 1000), 0);
    }
    return *traces.ForItem(0);
}

ChartSubject Subject(const std::string& name, const SpeedTrace* trace, double average) {
    ChartSubject subject;
    subject.name = name;
    subject.trace = trace;
    subject.started = trace != nullptr;
    subject.finished = trace != nullptr;
    subject.averageBytesPerSecond = average;
    return subject;
}

TEST(SpeedTrace, RatesPerStepAndPeakOverAWholeSecond) {
    RunSpeedTraces traces;
    // A throttled server's bursts: a second's data at once, then nothing.
    const uint64_t kBurst = 204800;
    for (uint32_t step = 0; step <= 25; ++step) {
        traces.Record(3, kStart, step * 200, kBurst * ((step + 4) / 5), 1000000);
    }
    const SpeedTrace* trace = traces.ForItem(3);
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(nullptr, traces.ForItem(4));
    EXPECT_EQ(26u, trace->interval.size());                // the origin and 25 steps after it
    EXPECT_DOUBLE_EQ(kBurst * 5.0, trace->interval[1].y);  // the burst in its 200 ms
    EXPECT_DOUBLE_EQ(0, trace->interval[2].y);
    EXPECT_DOUBLE_EQ(kBurst, trace->peakBytesPerSecond);  // but the user saw kBurst a second
    EXPECT_TRUE(trace->sizeLimitReached);
    EXPECT_DOUBLE_EQ(4.2, trace->sizeLimitSeconds);  // 5 bursts passed 1,000,000 bytes
    EXPECT_DOUBLE_EQ(kBurst * 5 / 5.0, trace->average.back().y);
}

TEST(SpeedTrace, RetryStartsAfreshAndOddStepsAreHarmless) {
    RunSpeedTraces traces;
    traces.Record(0, 0, 200, 100, 0);  // not started: nothing
    EXPECT_EQ(nullptr, traces.ForItem(0));
    traces.Record(0, kStart, 1000, 5000, 0);
    traces.Record(0, kStart, 1000, 9000, 0);  // same millisecond: counted by the next step
    traces.Record(0, kStart, 500, 9000, 0);   // a step back in time is ignored
    traces.Record(0, kStart, 2000, 9000, 0);
    const SpeedTrace* trace = traces.ForItem(0);
    ASSERT_EQ(3u, trace->interval.size());
    EXPECT_DOUBLE_EQ(4000, trace->interval[2].y);
    traces.Record(0, kStart + 1, 200, 10, 0);  // a retry
    EXPECT_EQ(2u, trace->interval.size());
    EXPECT_DOUBLE_EQ(50, trace->interval[1].y);
    traces.Record(0, kStart + 1, 400, 0, 0);  // a count going down gives no negative rate
    EXPECT_DOUBLE_EQ(0, trace->interval.back().y);
    traces.Clear();
    EXPECT_EQ(nullptr, traces.ForItem(0));
}

TEST(SpeedTrace, AnHourStaysBoundedAndKeepsItsDrop) {
    RunSpeedTraces traces;
    uint64_t bytes = 0;
    for (uint32_t ms = 200; ms <= 3600000; ms += 200) {
        bytes += ms == 1800000 ? 0 : 40960;  // one step without data
        traces.Record(0, kStart, ms, bytes, 0);
    }
    const SpeedTrace* trace = traces.ForItem(0);
    EXPECT_LT(trace->interval.size(), kMaxTracePoints);
    bool dropKept = false;
    for (const ChartPoint& p : trace->interval) dropKept |= p.y == 0 && p.x == 1800;
    EXPECT_TRUE(dropKept);
    EXPECT_DOUBLE_EQ(3600, trace->interval.back().x);
}

TEST(SpeedChart, OneDownloadSaysWhatItShowsInItsUnits) {
    ScopedTranslation scope(nullptr);
    const SpeedTrace trace = SteadyTrace(2048 * 1024, 10);
    ChartSubject subject = Subject("Mirror 2", &trace, 2048 * 1024);
    subject.hasSteady = true;
    subject.steadyBytesPerSecond = 2047.1 * 1024;
    subject.bytes = 20971520;
    subject.hasPhase[kAttemptNameResolved] = true;
    subject.phaseMs[kAttemptNameResolved] = 3;
    subject.hasPhase[kAttemptFirstByte] = true;
    subject.phaseMs[kAttemptFirstByte] = 1250;
    ChartFrame frame;
    frame.hasTimeLimit = true;
    frame.timeLimitSeconds = 10;
    const SpeedChart chart = BuildSpeedChart({subject}, frame);
    EXPECT_EQ("Mirror 2: average 2,048.0 KB/Sec, steady 2,047.1 KB/Sec, peak 2,048.0 KB/Sec",
              chart.summary);
    EXPECT_EQ(
        "Average 2,048.0 KB/Sec   Steady 2,047.1 KB/Sec   Peak 2,048.0 KB/Sec   "
        "Bytes 20,971,520   Name resolved 3 ms   Connected -   Request sent -   "
        "First byte 1,250 ms",
        chart.figures);
    subject.connections = 4;
    EXPECT_NE(BuildSpeedChart({subject}, frame).figures.find("First byte 1,250 ms   4 connections"),
              std::string::npos);
    EXPECT_FALSE(chart.compare);
    ASSERT_EQ(1u, chart.curves.size());
    EXPECT_TRUE(chart.hasSteady);
    EXPECT_NEAR(2047.1, chart.steady, 1e-9);
    EXPECT_TRUE(chart.hasTimeLimit);
    EXPECT_GE(chart.valueAxis.high, 2048.0);
    EXPECT_EQ("KB/Sec", chart.valueCaption);
    EXPECT_EQ("s", chart.timeCaption);

    // Sorted by the bits column the graph speaks Mbps like it.
    frame.unit = UnitForSortCode(kColumnSpeedBits | kSortDescending);
    const SpeedChart bits = BuildSpeedChart({subject}, frame);
    EXPECT_EQ("Mirror 2: average 16.78 Mbps, steady 16.77 Mbps, peak 16.78 Mbps", bits.summary);
    EXPECT_NEAR(16.78, bits.curves[0].average.back().y, 0.01);
    EXPECT_EQ(ChartUnit::KBps, UnitForSortCode(kColumnSpeedBytes));
}

// An item's minimum is drawn as a line of its own, in the chart's unit and within its axis,
// also when the download never came near it; compare mode leaves it out.
TEST(SpeedChart, MinimumSpeedLineOnlyForOneDownloadThatHasOne) {
    ScopedTranslation scope(nullptr);
    const SpeedTrace trace = SteadyTrace(100 * 1024, 5);
    ChartSubject subject = Subject("Slow", &trace, 100 * 1024);
    EXPECT_FALSE(BuildSpeedChart({subject}, ChartFrame()).hasMinSpeed);
    subject.minSpeedBytesPerSecond = 500 * 1024;
    const SpeedChart chart = BuildSpeedChart({subject}, ChartFrame());
    EXPECT_TRUE(chart.hasMinSpeed);
    EXPECT_NEAR(500.0, chart.minSpeed, 1e-9);
    EXPECT_GE(chart.valueAxis.high, 500.0);
    ChartFrame bits;
    bits.unit = ChartUnit::Mbps;
    EXPECT_NEAR(500 * 1024 * 8 / 1e6, BuildSpeedChart({subject}, bits).minSpeed, 1e-9);
    EXPECT_FALSE(BuildSpeedChart({subject, subject}, ChartFrame()).hasMinSpeed);
}

TEST(SpeedChart, DownloadsWithoutSamplesAndNothingSelected) {
    ScopedTranslation scope(nullptr);
    const SpeedChart none = BuildSpeedChart({}, ChartFrame());
    EXPECT_EQ("No download to show: select a row or start the test", none.summary);
    EXPECT_TRUE(none.curves.empty());
    EXPECT_LT(none.valueAxis.low, none.valueAxis.high);

    const SpeedChart waiting = BuildSpeedChart({Subject("http://a/", nullptr, 0)}, ChartFrame());
    EXPECT_EQ("http://a/: no samples yet", waiting.summary);
    EXPECT_EQ(1u, waiting.curves.size());
    EXPECT_TRUE(waiting.curves[0].interval.empty());
    EXPECT_FALSE(waiting.hasSteady);
    EXPECT_EQ(
        "Average -   Steady -   Peak -   Bytes 0   "
        "Name resolved -   Connected -   Request sent -   First byte -",
        waiting.figures);
    EXPECT_EQ(waiting.summary, waiting.message);
    EXPECT_FALSE(waiting.hasMinSpeed);
    // A time limit far beyond what was drawn is not marked.
    ChartFrame frame;
    frame.hasTimeLimit = true;
    frame.timeLimitSeconds = 600;
    EXPECT_FALSE(BuildSpeedChart({Subject("a", nullptr, 0)}, frame).hasTimeLimit);
}

TEST(SpeedChart, CompareModeColoursLegendAndLimit) {
    ScopedTranslation scope(nullptr);
    std::vector<SpeedTrace> traces;
    for (int i = 0; i < 10; ++i) traces.push_back(SteadyTrace(1024.0 * (i + 1), 3 + i));
    std::vector<ChartSubject> subjects;
    for (int i = 0; i < 10; ++i) {
        subjects.push_back(
            Subject("Mirror " + std::to_string(i + 1), &traces[i], 1024.0 * (i + 1)));
    }
    const SpeedChart two = BuildSpeedChart({subjects[0], subjects[1]}, ChartFrame());
    EXPECT_TRUE(two.compare);
    EXPECT_EQ("Comparing 2 downloads: Mirror 1 average 1.0 KB/Sec; Mirror 2 average 2.0 KB/Sec",
              two.summary);
    EXPECT_FALSE(two.hasSteady);

    const SpeedChart many = BuildSpeedChart(subjects, ChartFrame());
    ASSERT_EQ(kMaxComparedSeries, many.curves.size());
    std::set<uint32_t> colours;
    for (size_t i = 0; i < many.curves.size(); ++i) {
        EXPECT_EQ("Mirror " + std::to_string(i + 1), many.curves[i].name);
        colours.insert(SeriesColor(many.curves[i].colorPosition));
        // Each curve keeps its own time: from its own start to its own end.
        EXPECT_DOUBLE_EQ(0, many.curves[i].second.front().x);
        EXPECT_DOUBLE_EQ(3.0 + i, many.curves[i].second.back().x);
    }
    EXPECT_EQ(kMaxComparedSeries, colours.size());
    EXPECT_GE(many.timeAxis.high, 10.0);
    EXPECT_EQ(0u, many.summary.find("Comparing 8 downloads: "));
}

TEST(SpeedChart, PaletteStaysVisibleOnAnyBackground) {
    const uint32_t kWhite = 0xFFFFFF, kBlack = 0;
    for (size_t i = 0; i + 1 < kMaxComparedSeries; ++i) {
        EXPECT_TRUE(ColorsContrast(SeriesColor(i), kWhite)) << i;
    }
    // On a high-contrast black background the black curve takes the text colour.
    EXPECT_EQ(kWhite, SeriesColorOn(7, kBlack, kWhite));
    EXPECT_EQ(SeriesColor(4), SeriesColorOn(4, kBlack, kWhite));
    EXPECT_EQ(SeriesColor(0), SeriesColor(kMaxComparedSeries));
}

TEST(SpeedChart, TranslationRenamesTheTextsButCannotBreakTheFormats) {
    FakeTranslation translation;
    translation.texts[IDS_GRAPH_SUMMARY] = "%s : moyenne %s, stable %s, pointe %s";
    translation.texts[IDS_GRAPH_COMPARE] = "%s %s %n";  // wrong conversions: the built-in one
    translation.texts[IDS_GRAPH_NOT_KNOWN] = "inconnue";
    translation.texts[IDS_UNIT_KB_PER_SEC] = "Ko/s";
    ScopedTranslation scope(&translation);
    const SpeedTrace trace = SteadyTrace(1024, 2);
    const SpeedChart one = BuildSpeedChart({Subject("A", &trace, 1024)}, ChartFrame());
    EXPECT_EQ("A : moyenne 1.0 Ko/s, stable inconnue, pointe 1.0 Ko/s", one.summary);
    const SpeedChart two =
        BuildSpeedChart({Subject("A", &trace, 1024), Subject("B", &trace, 1024)}, ChartFrame());
    EXPECT_EQ(0u, two.summary.find("Comparing 2 downloads: A average 1.0 Ko/s"));
}

}  // namespace
}  // namespace vm
