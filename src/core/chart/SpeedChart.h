#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/chart/AxisTicks.h"
#include "core/chart/ChartUnit.h"
#include "core/chart/Downsample.h"
#include "core/chart/SpeedTrace.h"
#include "core/engine/RunMeasurements.h"

namespace vm {

// One download the graph shows, as the window gathers it from the list and the run.
struct ChartSubject {
    std::string name;                   // the display name, or the URL when there is none
    const SpeedTrace* trace = nullptr;  // nullptr: never downloaded in this run
    bool started = false;
    bool finished = false;  // came to its end
    bool failed = false;    // failed or timed out
    uint32_t durationMs = 0;
    double averageBytesPerSecond = 0;  // the item's own average, as the list shows it
    uint64_t bytes = 0;
    bool hasSteady = false;
    double steadyBytesPerSecond = 0;
    double minSpeedBytesPerSecond = 0;  // the minimum it is held to; 0: none
    bool hasPhase[kAttemptPhaseCount] = {};
    uint32_t phaseMs[kAttemptPhaseCount] = {};
    std::string pathFigures;  // "from 127.0.0.1, HTTP/1.1, cache HIT"; "" when not known
    std::string latencyText;  // "latency 2.1 ms idle, 31.4 ms loaded..."; "" when not probed
    std::vector<ChartPoint> loadedLatency;  // x: seconds into the download, y: milliseconds
    int32_t connections = 1;                // used at once for the body
    // How far its speed can be trusted, in words (ConfidenceFigures); "" while unknown.
    std::string confidence;
};

// One curve as drawn: both lines in the chart's unit, at most about two points per pixel.
struct ChartCurve {
    std::string name;
    size_t colorPosition = 0;          // in the series palette
    std::vector<ChartPoint> interval;  // every 200 ms step: bursty, drawn faint
    std::vector<ChartPoint> second;    // over the last second
    std::vector<ChartPoint> average;
    // Enough steps for a curve; a download that ended within a step or two has none.
    bool drawn = false;
};

// Steps after the origin a curve needs before it says anything.
constexpr size_t kMinDrawnSteps = 2;

// Room above the highest smoothed value, so the line never runs along the top edge.
constexpr double kValueHeadroom = 1.15;

// Where the graph is drawn and what else it marks.
struct ChartFrame {
    ChartUnit unit = ChartUnit::KBps;
    size_t plotWidth = 400;  // pixels across the time axis
    int valueIntervals = 4;
    int timeIntervals = 6;
    bool hasTimeLimit = false;  // the auto-stop time limit
    double timeLimitSeconds = 0;
};

// Everything the pane draws and says.
struct SpeedChart {
    ChartUnit unit = ChartUnit::KBps;
    bool compare = false;
    std::vector<ChartCurve> curves;
    // Of the single download shown (not in compare mode):
    bool hasSteady = false;
    double steady = 0;  // in the unit
    bool hasMinSpeed = false;
    double minSpeed = 0;  // in the unit
    bool hasTimeLimit = false;
    double timeLimitSeconds = 0;
    bool hasSizeLimit = false;
    double sizeLimitSeconds = 0;
    // Scaled to the smoothed lines (the 1 s line, the steady and minimum speeds and where
    // the running average settled), not to the 200 ms bursts.
    ValueAxis valueAxis;
    TimeAxis timeAxis;  // ends where the data (or the time limit) ends
    // Times (in seconds) at which the single curve's 200 ms line runs over the top of the
    // axis: drawn clipped, with a mark at the top edge.
    std::vector<double> clippedAt;
    // The latency probes' times under load (x: seconds, y: milliseconds), drawn in a strip
    // under the speed on a scale of their own; empty when none were taken.
    std::vector<ChartPoint> latency;
    ValueAxis latencyAxis;
    // What the plot says instead of curves ("" while there are curves to draw).
    std::string message;
    std::string valueCaption;  // "KB/Sec"
    std::string timeCaption;   // "s" or "m:ss"
    // The pane's window text: what it shows in one line, for screen readers and tests.
    std::string summary;
    // The line of figures under the graph (the summary again in compare mode).
    std::string figures;
};

// One entry of the line of figures: "Average" and "2,048.0 KB/Sec".
struct FigurePart {
    std::string label;
    std::string value;
};

// The line of figures from its parts, in their order ("Average 2,048.0 KB/Sec   Peak ...").
std::string JoinFigures(const std::vector<FigurePart>& parts);

// The figures of one download: average, steady and peak speed, bytes and phase times; a
// speed not measured yet is "-".
std::vector<FigurePart> SubjectFigures(const ChartSubject& subject, ChartUnit unit);

// The chart of one download (one subject) or the curves of several side by side (up to
// kMaxComparedSeries; more are left out), each from its own start. No subject gives an
// empty chart that says so.
SpeedChart BuildSpeedChart(const std::vector<ChartSubject>& subjects, const ChartFrame& frame);

// "Mirror 2: average 2,048.0 KB/Sec, steady 2,047.1 KB/Sec, peak 2,310.4 KB/Sec"; for a
// download without a curve, why there is none.
std::string ChartSummary(const ChartSubject& subject, ChartUnit unit);

// The highest one-second speed of a subject; its average when no whole second was seen.
double SubjectPeak(const ChartSubject& subject);

}  // namespace vm
