#include "core/chart/GraphLayout.h"

#include <algorithm>
#include <cmath>

#include "core/lang/StringTable.h"

namespace vm {
namespace {

constexpr size_t kMaxLegendName = 40;
// Below this the plot says nothing readable.
constexpr int kMinPlotSide = 10;
// The latency strip, in lines of text, and how many of its heights the plot keeps at least.
constexpr int kLatencyStripLines = 3;
constexpr int kPlotToStrip = 2;
// Room the value labels take before they are measured, at 96 DPI.
constexpr int kEstimatedLabelRoom = 90;

int Scaled(int value96, int dpi) { return std::max(1, (value96 * dpi + 48) / 96); }

std::string Shortened(const std::string& name) {
    if (name.size() <= kMaxLegendName) return name;
    return name.substr(0, kMaxLegendName - 3) + "...";
}

}  // namespace

GraphMetrics GraphMetrics::ForDpi(int dpi, int lineHeight) {
    if (dpi <= 0) dpi = 96;
    GraphMetrics metrics;
    metrics.lineHeight = lineHeight > 0 ? lineHeight : Scaled(13, dpi);
    metrics.pad = Scaled(6, dpi);
    metrics.tickLength = Scaled(4, dpi);
    metrics.swatch = Scaled(18, dpi);
    metrics.thinPen = Scaled(1, dpi);
    metrics.thickPen = Scaled(2, dpi);
    metrics.markSize = Scaled(4, dpi);
    return metrics;
}

std::vector<LegendEntry> ChartLegend(const SpeedChart& chart) {
    std::vector<LegendEntry> legend;
    if (chart.compare) {
        for (const ChartCurve& curve : chart.curves) {
            if (curve.drawn)
                legend.push_back({Shortened(curve.name), curve.colorPosition, SeriesLine::Thick});
        }
        return legend;
    }
    if (chart.curves.empty() || !chart.curves[0].drawn) return legend;
    legend.push_back({GetString(IDS_GRAPH_SPEED), kIntervalColor, SeriesLine::Faint});
    legend.push_back({GetString(IDS_GRAPH_SECOND), kSecondColor, SeriesLine::Solid});
    legend.push_back({GetString(IDS_GRAPH_AVERAGE), kAverageColor, SeriesLine::Thick});
    if (chart.hasSteady) {
        legend.push_back({GetString(IDS_GRAPH_STEADY), kSteadyColor, SeriesLine::Dashed});
    }
    if (chart.hasMinSpeed) {
        legend.push_back({GetString(IDS_GRAPH_MIN_SPEED), kMinSpeedColor, SeriesLine::DashDot});
    }
    if (!chart.clippedAt.empty()) {
        legend.push_back({GetString(IDS_GRAPH_CLIPPED), kIntervalColor, SeriesLine::ClipMark});
    }
    return legend;
}

int GraphLayout::X(double seconds) const {
    const double share = timeHigh > 0 ? seconds / timeHigh : 0;
    const int offset = static_cast<int>(std::lround(plot.Width() * std::max(0.0, share)));
    return rtl ? plot.right - offset : plot.left + offset;
}

int GraphLayout::Y(double value) const {
    const double span = valueHigh - valueLow;
    const double share = span > 0 ? (value - valueLow) / span : 0;
    const double clamped = std::isfinite(share) ? std::max(-0.1, std::min(1.1, share)) : 0.0;
    return plot.bottom - static_cast<int>(std::lround(plot.Height() * clamped));
}

int GraphLayout::LatencyY(double ms) const {
    const double share = latencyHigh > 0 ? ms / latencyHigh : 0;
    const double clamped = std::isfinite(share) ? std::max(0.0, std::min(1.0, share)) : 0.0;
    return latencyStrip.bottom - static_cast<int>(std::lround(latencyStrip.Height() * clamped));
}

int EstimatedPlotWidth(int paneWidth, const GraphMetrics& metrics) {
    const int width = paneWidth - kEstimatedLabelRoom * metrics.pad / 6;
    return std::max(width, 40);
}

// Long because the pane is laid out in one pass, each part placed after those it makes room
// for: the plot and its labels, the unit, the limit lines, the legend.
GraphLayout LayOutGraph(const SpeedChart& chart, const PixelRect& area, const GraphMetrics& m,
                        const TextMeasure& measure, bool rtl) {
    GraphLayout layout;
    layout.rtl = rtl;
    layout.timeHigh = chart.timeAxis.high;
    layout.valueLow = chart.valueAxis.low;
    layout.valueHigh = chart.valueAxis.high;
    const int line = m.lineHeight;

    int labelWidth = 0;
    for (const AxisTick& tick : chart.valueAxis.ticks) {
        labelWidth = std::max(labelWidth, measure.Width(tick.label));
    }
    labelWidth = std::max(labelWidth, measure.Width(chart.valueCaption) / 2);
    std::string lastTime = chart.timeAxis.ticks.empty() ? "" : chart.timeAxis.ticks.back().label;
    lastTime += " " + chart.timeCaption;
    const int endRoom = measure.Width(lastTime) / 2 + m.pad;
    const int labelSide = m.pad + labelWidth + m.pad;

    layout.plot.left = area.left + (rtl ? endRoom : labelSide);
    layout.plot.right = area.right - (rtl ? labelSide : endRoom);
    layout.plot.top = area.top + m.pad + line + m.pad / 2;
    const int figuresTop = area.bottom - m.pad - line;
    layout.plot.bottom = figuresTop - m.pad - line - m.tickLength;
    layout.figures = {area.left + m.pad, figuresTop, area.right - m.pad, area.bottom};
    if (layout.plot.Width() < kMinPlotSide || layout.plot.Height() < kMinPlotSide) {
        return layout;
    }
    layout.drawable = true;

    const int labelX = rtl ? layout.plot.right + m.pad : layout.plot.left - m.pad;
    const int stripHeight = kLatencyStripLines * line;
    if (!chart.latency.empty() &&
        layout.plot.Height() - m.pad >= (kPlotToStrip + 1) * stripHeight) {
        PixelRect& strip = layout.latencyStrip;
        strip = {layout.plot.left, layout.plot.bottom - stripHeight, layout.plot.right,
                 layout.plot.bottom};
        layout.plot.bottom = strip.top - m.pad;
        layout.latencyHigh = chart.latencyAxis.high;
        const std::string high =
            chart.latencyAxis.ticks.empty() ? "" : chart.latencyAxis.ticks.back().label;
        layout.latencyLabel = {labelX, strip.top, high + " " + GetString(IDS_GRAPH_MS)};
        layout.latencyCaption = {rtl ? strip.right - m.pad : strip.left + m.pad, strip.top,
                                 GetString(IDS_GRAPH_LATENCY)};
    }
    layout.timeAxisY =
        layout.latencyStrip.Height() > 0 ? layout.latencyStrip.bottom : layout.plot.bottom;
    for (const AxisTick& tick : chart.valueAxis.ticks) {
        layout.valueLabels.push_back({labelX, layout.Y(tick.value) - line / 2, tick.label});
    }
    // The unit over the labels, from the window's edge: it may be wider than they are.
    layout.valueCaption = {rtl ? area.right - m.pad : area.left + m.pad, area.top + m.pad / 2,
                           chart.valueCaption};
    for (size_t i = 0; i < chart.timeAxis.ticks.size(); ++i) {
        const AxisTick& tick = chart.timeAxis.ticks[i];
        const bool last = i + 1 == chart.timeAxis.ticks.size();
        layout.timeLabels.push_back(
            {layout.X(tick.value), layout.timeAxisY + m.tickLength, last ? lastTime : tick.label});
    }

    // The auto-stop limits, labelled along the foot of their lines.
    const struct {
        bool shown;
        double seconds;
        int textId;
    } limits[] = {{chart.hasTimeLimit, chart.timeLimitSeconds, IDS_GRAPH_TIME_LIMIT},
                  {chart.hasSizeLimit, chart.sizeLimitSeconds, IDS_GRAPH_SIZE_LIMIT}};
    for (const auto& limit : limits) {
        if (!limit.shown) continue;
        const int x = layout.X(limit.seconds);
        const int row = static_cast<int>(layout.limitX.size()) + 1;
        layout.limitX.push_back(x);
        layout.limitLabels.push_back(
            {rtl ? x + 3 : x - 3, layout.plot.bottom - row * line - 2, GetString(limit.textId)});
    }

    // The legend in the top corner away from the speed labels, as many rows as fit.
    layout.legend = ChartLegend(chart);
    const int rowsThatFit = std::max(0, (layout.plot.Height() - m.pad) / line);
    if (static_cast<int>(layout.legend.size()) > rowsThatFit) layout.legend.resize(rowsThatFit);
    if (!layout.legend.empty()) {
        int textWidth = 0;
        for (const LegendEntry& entry : layout.legend) {
            textWidth = std::max(textWidth, measure.Width(entry.text));
        }
        const int boxWidth = m.pad + m.swatch + m.pad + textWidth + m.pad;
        const int boxHeight = static_cast<int>(layout.legend.size()) * line + m.pad;
        const int left = rtl ? layout.plot.left + m.pad : layout.plot.right - m.pad - boxWidth;
        layout.legendBox = {left, layout.plot.top + m.pad / 2, left + boxWidth,
                            layout.plot.top + m.pad / 2 + boxHeight};
        layout.legendRowHeight = line;
    }
    layout.showMessage = !chart.message.empty();
    return layout;
}

}  // namespace vm
