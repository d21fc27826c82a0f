#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/chart/SpeedChart.h"

namespace vm {

// A rectangle in device pixels, right and bottom exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// How wide a text is when drawn: the drawing surface measures it.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int Width(const std::string& text) const = 0;
};

// Sizes of the graph at the window's DPI; the defaults are for 96 DPI.
struct GraphMetrics {
    int lineHeight = 13;  // of the font in use
    int pad = 6;
    int tickLength = 4;
    int swatch = 18;  // the legend's line sample
    int thinPen = 1;
    int thickPen = 2;
    int markSize = 4;  // the clipped bursts' marks

    // The 96-DPI sizes scaled to dpi, for a font of the given line height.
    static GraphMetrics ForDpi(int dpi, int lineHeight);
};

// How a series is drawn; the legend shows the same line.
enum class SeriesLine : int { Faint, Solid, Thick, Dashed, DashDot, ClipMark };

// Palette positions of the single download's lines.
constexpr size_t kIntervalColor = 0;
constexpr size_t kAverageColor = 1;
constexpr size_t kSteadyColor = 2;
constexpr size_t kMinSpeedColor = 3;
constexpr size_t kLatencyColor = 3;  // drawn apart from the minimum speed, which shares it
constexpr size_t kSecondColor = 0;   // the 1 s line is the 200 ms one, smoothed and solid

struct LegendEntry {
    std::string text;
    size_t colorPosition = 0;
    SeriesLine line = SeriesLine::Solid;
};

// The series the chart draws, as its legend lists them; nothing that is not drawn.
std::vector<LegendEntry> ChartLegend(const SpeedChart& chart);

struct PlacedText {
    int x = 0;
    int y = 0;  // the text's top
    std::string text;
};

// Where everything of a chart goes in an area; the drawing code only draws.
struct GraphLayout {
    bool drawable = false;  // false: too small to draw anything readable
    bool rtl = false;
    PixelRect plot;
    double timeHigh = 1;
    double valueLow = 0;
    double valueHigh = 1;
    std::vector<PlacedText> valueLabels;  // right-aligned at x (left-aligned with rtl)
    PlacedText valueCaption;              // left-aligned from the edge (right with rtl)
    std::vector<PlacedText> timeLabels;   // centred on x
    std::vector<PlacedText> limitLabels;  // right-aligned at x (left with rtl)
    std::vector<int> limitX;
    std::vector<LegendEntry> legend;
    PixelRect legendBox;  // empty without a legend; an opaque box over the plot
    int legendRowHeight = 0;
    bool showMessage = false;  // the chart's message in the middle of the plot
    PixelRect figures;
    // The loaded latency's strip under the plot, on the same time axis (empty without
    // probes), its top value and its caption.
    PixelRect latencyStrip;
    double latencyHigh = 1;
    PlacedText latencyLabel;    // right-aligned at x (left-aligned with rtl)
    PlacedText latencyCaption;  // inside the strip, from the side time starts from
    int timeAxisY = 0;          // where the time ticks hang from: the plot's or the strip's foot

    // Seconds and values to pixels; with a right-to-left layout time runs from the right.
    int X(double seconds) const;
    // Values far outside the axis stay just outside the plot, never overflowing GDI.
    int Y(double value) const;
    // Milliseconds to pixels in the latency strip.
    int LatencyY(double ms) const;
};

GraphLayout LayOutGraph(const SpeedChart& chart, const PixelRect& area, const GraphMetrics& metrics,
                        const TextMeasure& measure, bool rtl);

// Pixels across the time axis the pane will have at a width, before labels are measured.
int EstimatedPlotWidth(int paneWidth, const GraphMetrics& metrics);

}  // namespace vm
