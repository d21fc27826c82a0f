#include "core/chart/SpeedChart.h"

#include <algorithm>
#include <cstdio>

#include "core/chart/SeriesPalette.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

// printf into a string of the size it needs; a format the library rejects gives "".
template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, args...);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string PhaseText(const ChartSubject& subject, int phase) {
    if (!subject.hasPhase[phase]) return "-";
    return FormatGroupedNumber(subject.phaseMs[phase], 0) + " " + GetString(IDS_GRAPH_MS);
}

// A download that has not started, or started and moved nothing yet, has no speed.
bool SpeedMeasured(const ChartSubject& subject) {
    return subject.started && (subject.bytes > 0 || subject.finished);
}

std::string SpeedText(const ChartSubject& subject, double bytesPerSecond, ChartUnit unit) {
    return SpeedMeasured(subject) ? FormatChartSpeed(bytesPerSecond, unit) : std::string("-");
}

std::string SteadyText(const ChartSubject& subject, ChartUnit unit) {
    if (!SpeedMeasured(subject)) return "-";
    return subject.hasSteady ? FormatChartSpeed(subject.steadyBytesPerSecond, unit)
                             : std::string(GetString(IDS_GRAPH_NOT_KNOWN));
}

std::vector<ChartPoint> InUnit(const std::vector<ChartPoint>& points, ChartUnit unit,
                               size_t buckets) {
    std::vector<ChartPoint> result = DownsampleMinMax(points, buckets);
    for (ChartPoint& point : result) point.y = ToChartUnit(point.y, unit);
    return result;
}

// The summary and the figures end with the latency under load, where it was measured.
std::string WithLatency(std::string text, const ChartSubject& subject) {
    if (subject.latencyText.empty()) return text;
    return text + "; " + subject.latencyText;
}

// The figures line ends with the path the download took, where it is known.
std::string WithPathFigures(std::string figures, const ChartSubject& subject) {
    if (!subject.pathFigures.empty()) figures += "   " + subject.pathFigures;
    return WithLatency(figures, subject);
}

bool TraceDrawn(const SpeedTrace* trace) {
    return trace != nullptr && trace->interval.size() >= kMinDrawnSteps + 1;
}

double Highest(const std::vector<ChartPoint>& points, double top) {
    for (const ChartPoint& p : points) top = std::max(top, p.y);
    return top;
}

// Why a download has no curve: too short, failed, or not reached yet.
std::string NoCurveText(const ChartSubject& subject) {
    if (subject.failed) return Format(GetFormatString(IDS_GRAPH_FAILED), subject.name.c_str());
    if (subject.finished) {
        const std::string duration =
            FormatGroupedNumber(subject.durationMs, 0) + " " + GetString(IDS_GRAPH_MS);
        return Format(GetFormatString(IDS_GRAPH_TOO_SHORT), subject.name.c_str(), duration.c_str());
    }
    return Format(GetFormatString(IDS_GRAPH_NO_SAMPLES), subject.name.c_str());
}

}  // namespace

std::string JoinFigures(const std::vector<FigurePart>& parts) {
    std::string line;
    for (const FigurePart& part : parts) {
        if (!line.empty()) line += "   ";
        line += part.label;
        if (!part.value.empty()) line += " " + part.value;
    }
    return line;
}

std::vector<FigurePart> SubjectFigures(const ChartSubject& subject, ChartUnit unit) {
    std::vector<FigurePart> parts = {
        {GetString(IDS_GRAPH_FIG_AVERAGE), SpeedText(subject, subject.averageBytesPerSecond, unit)},
        {GetString(IDS_GRAPH_FIG_STEADY), SteadyText(subject, unit)},
        {GetString(IDS_GRAPH_FIG_PEAK), SpeedText(subject, SubjectPeak(subject), unit)},
        {GetString(IDS_GRAPH_FIG_BYTES),
         FormatGroupedNumber(static_cast<double>(subject.bytes), 0)},
    };
    const int phaseLabels[kAttemptPhaseCount] = {IDS_GRAPH_FIG_RESOLVED, IDS_GRAPH_FIG_CONNECTED,
                                                 IDS_GRAPH_FIG_SENT, IDS_GRAPH_FIG_FIRST_BYTE};
    for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
        parts.push_back({GetString(phaseLabels[phase]), PhaseText(subject, phase)});
    }
    // "4 connections": a figure that is its own label.
    if (subject.connections > 1)
        parts.push_back({Format(GetFormatString(IDS_GRAPH_CONNECTIONS), subject.connections), ""});
    return parts;
}

double SubjectPeak(const ChartSubject& subject) {
    const double peak = subject.trace != nullptr ? subject.trace->peakBytesPerSecond : 0.0;
    return std::max(peak, subject.averageBytesPerSecond);
}

std::string ChartSummary(const ChartSubject& subject, ChartUnit unit) {
    if (!TraceDrawn(subject.trace)) return NoCurveText(subject);
    const std::string average = SpeedText(subject, subject.averageBytesPerSecond, unit);
    const std::string steady = SteadyText(subject, unit);
    const std::string peak = SpeedText(subject, SubjectPeak(subject), unit);
    return Format(GetFormatString(IDS_GRAPH_SUMMARY), subject.name.c_str(), average.c_str(),
                  steady.c_str(), peak.c_str());
}

// Long because it builds every line, scale and label of the chart in drawing order.
SpeedChart BuildSpeedChart(const std::vector<ChartSubject>& subjects, const ChartFrame& frame) {
    SpeedChart chart;
    chart.unit = frame.unit;
    chart.valueCaption = ChartUnitText(frame.unit);
    const size_t count = std::min(subjects.size(), kMaxComparedSeries);
    chart.compare = count > 1;
    // Two points per pixel at most: the downsampler keeps each column's low and high.
    const size_t buckets = std::max<size_t>(frame.plotWidth / 2, 2);
    double span = 0;
    double smoothTop = 0;  // of the lines that set the scale
    double spikeTop = 0;   // of the 200 ms steps, which do not
    bool anyDrawn = false;
    for (size_t i = 0; i < count; ++i) {
        const ChartSubject& subject = subjects[i];
        ChartCurve curve;
        curve.name = subject.name;
        curve.colorPosition = i;
        curve.drawn = TraceDrawn(subject.trace);
        if (curve.drawn) {
            anyDrawn = true;
            // Compare mode draws the smoothed lines only: eight bursty lines are noise.
            if (!chart.compare) {
                curve.interval = InUnit(subject.trace->interval, frame.unit, buckets);
            }
            curve.second = InUnit(subject.trace->second, frame.unit, buckets);
            curve.average = InUnit(subject.trace->average, frame.unit, buckets);
            // The running average counts where it has settled (its latest value): a
            // server's head start lifts its first seconds well above the speed.
            smoothTop = Highest(curve.second, smoothTop);
            if (!curve.average.empty()) smoothTop = std::max(smoothTop, curve.average.back().y);
            spikeTop = Highest(curve.interval, spikeTop);
            span = std::max(span, subject.trace->interval.back().x);
        }
        chart.curves.push_back(std::move(curve));
    }
    if (count == 1) {
        const ChartSubject& subject = subjects[0];
        if (anyDrawn) {
            chart.hasSteady = subject.hasSteady;
            chart.steady = ToChartUnit(subject.steadyBytesPerSecond, frame.unit);
            if (chart.hasSteady) smoothTop = std::max(smoothTop, chart.steady);
            chart.hasMinSpeed = subject.minSpeedBytesPerSecond > 0;
            chart.minSpeed = ToChartUnit(subject.minSpeedBytesPerSecond, frame.unit);
            if (chart.hasMinSpeed) smoothTop = std::max(smoothTop, chart.minSpeed);
            if (subject.trace->sizeLimitReached) {
                chart.hasSizeLimit = true;
                chart.sizeLimitSeconds = subject.trace->sizeLimitSeconds;
            }
        } else {
            chart.message = NoCurveText(subject);
        }
        if (anyDrawn && !subject.loadedLatency.empty()) {
            double highest = 0;
            for (const ChartPoint& p : subject.loadedLatency) highest = std::max(highest, p.y);
            chart.latency = subject.loadedLatency;
            chart.latencyAxis = MakeValueAxis(0, highest * kValueHeadroom, 1);
        }
        chart.summary = WithLatency(ChartSummary(subject, frame.unit), subject);
        chart.figures = JoinFigures(SubjectFigures(subject, frame.unit));
        if (!subject.confidence.empty()) chart.figures += "   " + subject.confidence;
        chart.figures = WithPathFigures(chart.figures, subject);
    } else if (count > 1) {
        std::string items;
        for (size_t i = 0; i < count; ++i) {
            const std::string average =
                SpeedText(subjects[i], subjects[i].averageBytesPerSecond, frame.unit);
            if (!items.empty()) items += "; ";
            items += Format(GetFormatString(IDS_GRAPH_COMPARE_ITEM), subjects[i].name.c_str(),
                            average.c_str());
        }
        chart.summary =
            Format(GetFormatString(IDS_GRAPH_COMPARE), static_cast<int>(count), items.c_str());
        chart.figures = chart.summary;
        if (!anyDrawn) chart.message = chart.summary;
    } else {
        chart.summary = GetString(IDS_GRAPH_NOTHING);
        chart.message = chart.summary;
    }
    chart.timeAxis = MakeTimeAxis(span, frame.timeIntervals);
    // The time limit is marked once the curve comes near it; far ahead it would squeeze
    // the curve into a corner.
    if (count == 1 && anyDrawn && frame.hasTimeLimit &&
        frame.timeLimitSeconds <= chart.timeAxis.high) {
        chart.hasTimeLimit = true;
        chart.timeLimitSeconds = frame.timeLimitSeconds;
    }
    if (anyDrawn) {
        // The axis ends where the data ends, or at the limit that ended it.
        chart.timeAxis.high = std::max(span, chart.hasTimeLimit ? chart.timeLimitSeconds : 0.0);
        auto& ticks = chart.timeAxis.ticks;
        while (ticks.size() > 1 && ticks.back().value > chart.timeAxis.high + 1e-9) {
            ticks.pop_back();
        }
    }
    chart.timeCaption =
        GetString(chart.timeAxis.minutesSeconds ? IDS_GRAPH_MINUTES_SECONDS : IDS_GRAPH_SECONDS);
    // The smoothed lines set the scale; the bursts only when nothing else has a height.
    const double top = smoothTop > 0 ? smoothTop : spikeTop;
    chart.valueAxis = MakeValueAxis(0, top * kValueHeadroom, frame.valueIntervals);
    for (const ChartCurve& curve : chart.curves) {
        for (const ChartPoint& p : curve.interval) {
            if (p.y > chart.valueAxis.high) chart.clippedAt.push_back(p.x);
        }
    }
    return chart;
}

}  // namespace vm
