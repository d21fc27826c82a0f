#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/chart/GraphLayout.h"
#include "core/chart/GraphModel.h"
#include "core/chart/GraphSplit.h"
#include "core/chart/SpeedChart.h"
#include "support/FakeTranslation.h"

namespace vm {
namespace {

using test::ScopedTranslation;

constexpr FileTime kStart = 0x01DC000000000000ull;

// A throttled server: a quarter second's worth of data arrives in one 200 ms step of
// every five, so the 200 ms rate bursts to five times what the link gives.
SpeedTrace BurstyTrace(uint64_t bytesPerSecond, int seconds) {
    RunSpeedTraces traces;
    for (uint32_t step = 0; step <= static_cast<uint32_t>(seconds) * 5; ++step) {
        traces.Record(0, kStart, step * 200, bytesPerSecond * ((step + 4) / 5), 0);
    }
    return *traces.ForItem(0);
}

ChartSubject Finished(const std::string& name, const SpeedTrace* trace, double average) {
    ChartSubject subject;
    subject.name = name;
    subject.trace = trace;
    subject.started = subject.finished = true;
    subject.averageBytesPerSecond = average;
    subject.bytes = 1;
    return subject;
}

double Highest(const std::vector<ChartPoint>& points) {
    double top = 0;
    for (const ChartPoint& p : points) top = std::max(top, p.y);
    return top;
}

TEST(GraphAxis, BurstsDoNotSetTheScaleAndTheSmoothedLineFillsIt) {
    ScopedTranslation scope(nullptr);
    const SpeedTrace trace = BurstyTrace(250 * 1024, 10);
    ChartSubject subject = Finished("Throttled", &trace, 250 * 1024);
    subject.hasSteady = true;
    subject.steadyBytesPerSecond = 250 * 1024;
    const SpeedChart chart = BuildSpeedChart({subject}, ChartFrame());
    const ChartCurve& curve = chart.curves[0];
    // The 200 ms line bursts to 1,250 KB/s; the 1 s line stays near 250.
    EXPECT_NEAR(1250, Highest(curve.interval), 1);
    EXPECT_LT(Highest(curve.second), 260);
    EXPECT_LT(chart.valueAxis.high, Highest(curve.interval));
    EXPECT_GE(Highest(curve.second), chart.valueAxis.high / 2);
    EXPECT_GE(chart.valueAxis.high, Highest(curve.second) * 1.1);  // headroom
    ASSERT_FALSE(chart.clippedAt.empty());
    EXPECT_NEAR(0.2, chart.clippedAt[0], 1e-9);
    // Without bursts nothing is clipped; a smooth line alone still fills half the height.
    RunSpeedTraces smooth;
    for (uint32_t ms = 0; ms <= 5000; ms += 200) smooth.Record(0, kStart, ms, ms * 100, 0);
    const SpeedChart even = BuildSpeedChart({Finished("Even", smooth.ForItem(0), 1e5)}, {});
    EXPECT_TRUE(even.clippedAt.empty());
    EXPECT_GE(Highest(even.curves[0].average), even.valueAxis.high / 2);
}

TEST(GraphAxis, TimeEndsAtTheDataOrTheLimit) {
    ScopedTranslation scope(nullptr);
    RunSpeedTraces traces;
    for (uint32_t ms = 0; ms <= 4200; ms += 200) traces.Record(0, kStart, ms, ms * 10, 0);
    const ChartSubject subject = Finished("A", traces.ForItem(0), 1e4);
    const SpeedChart chart = BuildSpeedChart({subject}, ChartFrame());
    EXPECT_DOUBLE_EQ(4.2, chart.timeAxis.high);
    EXPECT_LE(chart.timeAxis.ticks.back().value, 4.2);
    ChartFrame limited;
    limited.hasTimeLimit = true;
    limited.timeLimitSeconds = 5;
    EXPECT_DOUBLE_EQ(5, BuildSpeedChart({subject}, limited).timeAxis.high);
}

// What the plot says when it has no curve, and that the legend lists only what is drawn.
TEST(GraphAxis, MessagesAndLegendForWhatIsDrawn) {
    ScopedTranslation scope(nullptr);
    RunSpeedTraces traces;
    traces.Record(0, kStart, 12, 5000, 0);  // ended within one step
    ChartSubject quick = Finished("Quick", traces.ForItem(0), 4e5);
    quick.durationMs = 12;
    const SpeedChart shortChart = BuildSpeedChart({quick}, ChartFrame());
    EXPECT_EQ("Quick: finished in 12 ms: too short to draw", shortChart.message);
    EXPECT_TRUE(ChartLegend(shortChart).empty());
    ChartSubject failed = Finished("Broken", nullptr, 0);
    failed.finished = false;
    failed.failed = true;
    failed.bytes = 0;
    EXPECT_EQ("Broken: failed: no data", BuildSpeedChart({failed}, ChartFrame()).message);

    const SpeedTrace trace = BurstyTrace(100000, 3);
    const SpeedChart one = BuildSpeedChart({Finished("A", &trace, 1e5)}, ChartFrame());
    EXPECT_TRUE(one.message.empty());
    std::vector<std::string> texts;
    for (const LegendEntry& entry : ChartLegend(one)) texts.push_back(entry.text);
    EXPECT_EQ((std::vector<std::string>{"200 ms speed", "1 s speed", "Running average",
                                        "200 ms speed above the scale"}),
              texts);
    const SpeedChart compare =
        BuildSpeedChart({Finished("A", &trace, 1e5), quick, failed}, ChartFrame());
    ASSERT_EQ(1u, ChartLegend(compare).size());
    EXPECT_EQ("A", ChartLegend(compare)[0].text);
    EXPECT_TRUE(compare.curves[0].interval.empty());  // compare draws the smoothed lines
}

class FixedWidth : public TextMeasure {
public:
    int Width(const std::string& text) const override { return 7 * static_cast<int>(text.size()); }
};

TEST(GraphLayoutTest, PlotLabelsAndLegendStayInTheirPlaces) {
    ScopedTranslation scope(nullptr);
    const SpeedTrace trace = BurstyTrace(100000, 3);
    const SpeedChart chart = BuildSpeedChart({Finished("A", &trace, 1e5)}, ChartFrame());
    for (const int dpi : {96, 192}) {
        const GraphMetrics m = GraphMetrics::ForDpi(dpi, 13 * dpi / 96);
        EXPECT_EQ(2 * dpi / 96, m.thickPen);
        const PixelRect area = {0, 0, 600 * dpi / 96, 200 * dpi / 96};
        for (const bool rtl : {false, true}) {
            const GraphLayout layout = LayOutGraph(chart, area, m, FixedWidth(), rtl);
            ASSERT_TRUE(layout.drawable);
            const PixelRect& plot = layout.plot;
            EXPECT_GT(plot.left, area.left);
            EXPECT_LT(plot.right, area.right);
            EXPECT_LE(plot.bottom + m.tickLength + m.lineHeight, layout.figures.top);
            // Labels sit outside the plot, on the side time starts from.
            for (const PlacedText& label : layout.valueLabels) {
                EXPECT_TRUE(rtl ? label.x > plot.right : label.x < plot.left);
                EXPECT_GE(rtl ? area.right - label.x : label.x, 7 * (int)label.text.size());
            }
            EXPECT_EQ(layout.X(0), rtl ? plot.right : plot.left);
            EXPECT_EQ(layout.Y(chart.valueAxis.high), plot.top);
            EXPECT_NEAR(layout.Y(1e300), plot.top - plot.Height() / 10, 1);  // clamped
            // The legend box holds every entry inside the plot.
            const PixelRect& box = layout.legendBox;
            EXPECT_EQ(4u, layout.legend.size());
            EXPECT_GE(box.left, plot.left);
            EXPECT_LE(box.right, plot.right);
            EXPECT_LE(box.bottom, plot.bottom);
            EXPECT_GE(box.Height(), 4 * m.lineHeight);
        }
    }
    // A pane too small for a plot draws only its figures.
    EXPECT_FALSE(LayOutGraph(chart, {0, 0, 60, 40}, GraphMetrics(), FixedWidth(), false).drawable);
}

TEST(GraphLayoutTest, LoadedLatencyHasAStripUnderThePlotOnTheSameTimeAxis) {
    ScopedTranslation scope(nullptr);
    const SpeedTrace trace = BurstyTrace(100000, 3);
    ChartSubject subject = Finished("A", &trace, 1e5);
    subject.loadedLatency = {{0.2, 30}, {0.4, 110}, {0.6, 95}};
    const SpeedChart chart = BuildSpeedChart({subject}, ChartFrame());
    ASSERT_EQ(3u, chart.latency.size());
    EXPECT_GE(chart.latencyAxis.high, 110);
    const GraphMetrics m;
    const GraphLayout layout = LayOutGraph(chart, {0, 0, 600, 200}, m, FixedWidth(), false);
    const PixelRect& strip = layout.latencyStrip;
    ASSERT_GT(strip.Height(), 0);
    EXPECT_EQ(layout.plot.left, strip.left);
    EXPECT_EQ(layout.plot.right, strip.right);
    EXPECT_LT(layout.plot.bottom, strip.top);  // the speed keeps its own zero line
    EXPECT_EQ(strip.bottom, layout.timeAxisY);
    EXPECT_EQ(strip.bottom + m.tickLength, layout.timeLabels[0].y);
    EXPECT_EQ(strip.top, layout.LatencyY(chart.latencyAxis.high));
    EXPECT_EQ(strip.bottom, layout.LatencyY(0));
    EXPECT_EQ(layout.latencyLabel.text, chart.latencyAxis.ticks.back().label + " ms");
    // Without probes, or without room, the plot keeps the whole height.
    const SpeedChart plain = BuildSpeedChart({Finished("A", &trace, 1e5)}, ChartFrame());
    for (const auto& [shown, height] : {std::pair{plain, 200}, std::pair{chart, 90}}) {
        const GraphLayout other = LayOutGraph(shown, {0, 0, 600, height}, m, FixedWidth(), false);
        EXPECT_EQ(0, other.latencyStrip.Height());
        EXPECT_EQ(other.plot.bottom, other.timeAxisY);
    }
}

TEST(GraphModelTest, FollowsTheRunUntilTheUserPicksAnotherRow) {
    ScopedTranslation scope(nullptr);
    GraphModel model;
    std::vector<DownloadItem> items(3);
    AppSettings settings;
    GraphRunView run;
    run.running = true;
    run.currentIndex = 1;
    model.OnRunStarting();
    EXPECT_EQ(std::vector<size_t>{1}, model.SubjectIndexes(run, {0, 2}));
    model.OnSelectionChanged(run, {0});
    EXPECT_EQ(std::vector<size_t>{0}, model.SubjectIndexes(run, {0}));
    model.OnSelectionChanged(run, {1});  // the row under test gives it back
    EXPECT_TRUE(model.FollowsRun());
    model.OnSelectionChanged(run, {1, 2});
    EXPECT_EQ((std::vector<size_t>{1, 2}), model.SubjectIndexes(run, {1, 2}));
    run.running = false;
    EXPECT_EQ((std::vector<size_t>{0, 2}), model.SubjectIndexes(run, {0, 2}));
    model.OnRunStarting();
    EXPECT_TRUE(model.FollowsRun());
}

TEST(GraphModelTest, SamplesTheTransferAheadOfTheListAndItsPhases) {
    ScopedTranslation scope(nullptr);
    GraphModel model;
    std::vector<DownloadItem> items(1);
    DownloadItem& item = items[0];
    item.startTime = kStart;
    item.startTick = 1000;
    item.attemptTick = 1000;
    item.status = DownloadStatus::Downloading;
    item.bytes = 100;  // the list's last update
    AppSettings settings;
    GraphRunView run;
    run.running = true;
    run.currentIndex = 0;
    run.hasTransfer = true;
    run.hasPhaseTick[kAttemptConnected] = true;
    run.phaseTick[kAttemptConnected] = 1030;
    for (uint32_t step = 1; step <= 5; ++step) {
        run.transferBytes = step * 20000;
        model.Sample(run, items, settings, 1000 + step * 200);
    }
    const SpeedTrace* trace = model.Traces().ForItem(0);
    ASSERT_NE(nullptr, trace);
    EXPECT_EQ(6u, trace->interval.size());
    EXPECT_DOUBLE_EQ(100000, trace->interval.back().y);
    EXPECT_DOUBLE_EQ(100000, trace->second.back().y);  // a whole second at 100,000 B/s
    const SpeedChart chart = model.Chart(run, items, {}, settings, ChartFrame());
    EXPECT_NE(std::string::npos, chart.figures.find("Connected 30 ms")) << chart.figures;
    // Not running: no samples are taken.
    run.running = false;
    model.Sample(run, items, settings, 5000);
    EXPECT_EQ(6u, trace->interval.size());
}

// The list keeps its header and three rows (60 here); the graph shrinks, then gives way.
TEST(GraphSplitTest, TheGraphGivesWayBeforeTheList) {
    const struct {
        int available, wanted, list, graph;
    } cases[] = {
        {600, 200, 395, 205},                       // room for all it wants
        {300, 200, 95, 205},  {200, 200, 60, 140},  // shrinks to leave the list its rows
        {145, 200, 60, 85},                         // just its minimum
        {144, 200, 144, 0},                         // below its minimum: the list takes the lot
        {30, 200, 30, 0},     {-5, 200, 0, 0},
        {600, 10, 515, 85},  // a wish below the minimum gets the minimum
    };
    for (const auto& c : cases) {
        const GraphSplit split = SplitForGraph(c.available, c.wanted, 60, 80, 5);
        EXPECT_EQ(c.list, split.listHeight) << c.available << " " << c.wanted;
        EXPECT_EQ(c.graph, split.graphSpace) << c.available << " " << c.wanted;
    }
}

}  // namespace
}  // namespace vm
