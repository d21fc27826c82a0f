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

std::string SteadyText(const ChartSubject& subject, ChartUnit unit) {
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

std::string Figures(const ChartSubject& subject, ChartUnit unit) {
    const std::string average = FormatChartSpeed(subject.averageBytesPerSecond, unit);
    const std::string steady = SteadyText(subject, unit);
    const std::string peak = FormatChartSpeed(SubjectPeak(subject), unit);
    const std::string bytes = FormatGroupedNumber(static_cast<double>(subject.bytes), 0);
    std::string phases[kAttemptPhaseCount];
    for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
        phases[phase] = PhaseText(subject, phase);
    }
    return Format(GetFormatString(IDS_GRAPH_FIGURES), average.c_str(), steady.c_str(), peak.c_str(),
                  bytes.c_str(), phases[kAttemptNameResolved].c_str(),
                  phases[kAttemptConnected].c_str(), phases[kAttemptRequestSent].c_str(),
                  phases[kAttemptFirstByte].c_str());
}

}  // namespace

double SubjectPeak(const ChartSubject& subject) {
    const double peak = subject.trace != nullptr ? subject.trace->peakBytesPerSecond : 0.0;
    return std::max(peak, subject.averageBytesPerSecond);
}

std::string ChartSummary(const ChartSubject& subject, ChartUnit unit) {
    if (subject.trace == nullptr || subject.trace->Empty()) {
        return Format(GetFormatString(IDS_GRAPH_NO_SAMPLES), subject.name.c_str());
    }
    const std::string average = FormatChartSpeed(subject.averageBytesPerSecond, unit);
    const std::string steady = SteadyText(subject, unit);
    const std::string peak = FormatChartSpeed(SubjectPeak(subject), unit);
    return Format(GetFormatString(IDS_GRAPH_SUMMARY), subject.name.c_str(), average.c_str(),
                  steady.c_str(), peak.c_str());
}

SpeedChart BuildSpeedChart(const std::vector<ChartSubject>& subjects, const ChartFrame& frame) {
    SpeedChart chart;
    chart.unit = frame.unit;
    chart.valueCaption = ChartUnitText(frame.unit);
    const size_t count = std::min(subjects.size(), kMaxComparedSeries);
    chart.compare = count > 1;
    // Two points per pixel at most: the downsampler keeps each column's low and high.
    const size_t buckets = std::max<size_t>(frame.plotWidth / 2, 2);
    double span = 0;
    double top = 0;
    for (size_t i = 0; i < count; ++i) {
        const ChartSubject& subject = subjects[i];
        ChartCurve curve;
        curve.name = subject.name;
        curve.colorPosition = i;
        if (subject.trace != nullptr) {
            curve.interval = InUnit(subject.trace->interval, frame.unit, buckets);
            curve.average = InUnit(subject.trace->average, frame.unit, buckets);
            for (const ChartPoint& p : curve.interval) top = std::max(top, p.y);
            for (const ChartPoint& p : curve.average) top = std::max(top, p.y);
            if (!subject.trace->Empty()) span = std::max(span, subject.trace->interval.back().x);
        }
        chart.curves.push_back(std::move(curve));
    }
    if (count == 1) {
        const ChartSubject& subject = subjects[0];
        chart.hasSteady = subject.hasSteady;
        chart.steady = ToChartUnit(subject.steadyBytesPerSecond, frame.unit);
        if (chart.hasSteady) top = std::max(top, chart.steady);
        chart.hasMinSpeed = subject.minSpeedBytesPerSecond > 0;
        chart.minSpeed = ToChartUnit(subject.minSpeedBytesPerSecond, frame.unit);
        if (chart.hasMinSpeed) top = std::max(top, chart.minSpeed);
        if (subject.trace != nullptr && subject.trace->sizeLimitReached) {
            chart.hasSizeLimit = true;
            chart.sizeLimitSeconds = subject.trace->sizeLimitSeconds;
        }
        chart.summary = WithLatency(ChartSummary(subject, frame.unit), subject);
        chart.figures = WithPathFigures(Figures(subject, frame.unit), subject);
    } else if (count > 1) {
        std::string items;
        for (size_t i = 0; i < count; ++i) {
            const std::string average =
                FormatChartSpeed(subjects[i].averageBytesPerSecond, frame.unit);
            if (!items.empty()) items += "; ";
            items += Format(GetFormatString(IDS_GRAPH_COMPARE_ITEM), subjects[i].name.c_str(),
                            average.c_str());
        }
        chart.summary =
            Format(GetFormatString(IDS_GRAPH_COMPARE), static_cast<int>(count), items.c_str());
        chart.figures = chart.summary;
    } else {
        chart.summary = GetString(IDS_GRAPH_NOTHING);
    }
    chart.timeAxis = MakeTimeAxis(span, frame.timeIntervals);
    // The time limit is marked once the curve comes near it; far ahead it would squeeze
    // the curve into a corner.
    if (count == 1 && frame.hasTimeLimit && frame.timeLimitSeconds <= chart.timeAxis.high) {
        chart.hasTimeLimit = true;
        chart.timeLimitSeconds = frame.timeLimitSeconds;
    }
    chart.timeCaption =
        GetString(chart.timeAxis.minutesSeconds ? IDS_GRAPH_MINUTES_SECONDS : IDS_GRAPH_SECONDS);
    chart.valueAxis = MakeValueAxis(0, top, frame.valueIntervals);
    return chart;
}

}  // namespace vm
