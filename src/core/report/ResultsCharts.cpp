#include "core/report/ResultsCharts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/base/FileTimeCalendar.h"
#include "core/chart/AxisTicks.h"
#include "core/chart/Downsample.h"
#include "core/chart/SvgPlot.h"
#include "core/chart/TrendStats.h"
#include "core/report/HtmlText.h"

namespace vm {
namespace {

// Every chart is drawn in the same box and scaled by the browser.
constexpr double kChartWidth = 720;
constexpr double kChartHeight = 260;
constexpr double kMarginLeft = 64;
constexpr double kMarginRight = 16;
constexpr double kMarginTop = 24;
constexpr double kMarginBottom = 40;
constexpr double kBarRowHeight = 22;
constexpr double kBarLabelWidth = 200;
constexpr double kBarValueRoom = 80;
constexpr int kAxisTickCount = 5;
constexpr int kTimeTickCount = 8;
constexpr int64_t kMsPerMinute = 60 * 1000;
constexpr int64_t kMsPerDay = 24 * 60 * kMsPerMinute;
constexpr int64_t kUnixEpochFileTimeMs = 11644473600000LL;

std::string Kb(double kbPerSecond) {
    return FormatGroupedNumber(kbPerSecond, kbPerSecond >= 100 ? 0 : 1);
}

double ToKb(double bytesPerSecond) {
    return std::isfinite(bytesPerSecond) && bytesPerSecond > 0 ? bytesPerSecond / 1024 : 0;
}

// Value ticks from 0 to at least the top value, labelled as the speed graph labels them.
ValueAxis SpeedAxis(double top) {
    return MakeValueAxis(0, top > 0 && std::isfinite(top) ? top : 1, kAxisTickCount);
}

void Attr(std::string& out, const char* name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendSvgNumber(out, value);
    out += '"';
}

void OpenSvg(std::string& out, const char* kind, double height, const std::string& label) {
    out += "<svg class=\"chart ";
    out += kind;
    out += "\" viewBox=\"0 0 ";
    AppendSvgNumber(out, kChartWidth);
    out += ' ';
    AppendSvgNumber(out, height);
    out += "\" role=\"img\" aria-label=\"";
    AppendHtmlText(out, label);
    out += "\" xmlns=\"http://www.w3.org/2000/svg\">\n";
}

void Text(std::string& out, double x, double y, const char* anchor, const std::string& text,
          const char* cls = nullptr) {
    out += "<text";
    Attr(out, "x", x);
    Attr(out, "y", y);
    out += " text-anchor=\"";
    out += anchor;
    out += '"';
    AppendClassAndText(out, cls, text);
    out += "</text>\n";
}

// A bar from left to right (at least a hairline, so a tiny value still shows).
void BarTo(std::string& out, const char* cls, double left, double y, double right, double height) {
    out += "<rect class=\"";
    out += cls;
    out += '"';
    Attr(out, "x", left);
    Attr(out, "y", y);
    Attr(out, "width", std::max(right - left, 1.0));
    Attr(out, "height", height);
    out += "/>\n";
}

void HorizontalLine(std::string& out, const PlotArea& area, double value, const char* cls) {
    out += "<path class=\"";
    out += cls;
    out += "\" d=\"M";
    AppendSvgNumber(out, area.left);
    out += ' ';
    AppendSvgNumber(out, area.Y(value));
    out += " H";
    AppendSvgNumber(out, area.left + area.width);
    out += "\"/>\n";
}

// The value grid with its labels.
void DrawValueAxis(std::string& out, const PlotArea& area, const ValueAxis& axis,
                   const std::string& unit) {
    for (const AxisTick& tick : axis.ticks) {
        HorizontalLine(out, area, tick.value, "grid");
        Text(out, area.left - 6, area.Y(tick.value) + 4, "end", tick.label);
    }
    Text(out, 4, 12, "start", unit, "unit");
}

PlotArea ChartArea(double xMin, double xMax, double yMax) {
    PlotArea area;
    area.left = kMarginLeft;
    area.top = kMarginTop;
    area.width = kChartWidth - kMarginLeft - kMarginRight;
    area.height = kChartHeight - kMarginTop - kMarginBottom;
    area.xMin = xMin;
    area.xMax = xMax > xMin ? xMax : xMin + 1;
    area.yMin = 0;
    area.yMax = yMax;
    return area;
}

// How much of a time stamp an axis label shows.
enum class DatePart { Seconds, Minutes, Day };

std::string DateText(int64_t unixMs, DatePart part) {
    CalendarTime time;
    if (!FileTimeToCalendar(
            static_cast<FileTime>(unixMs + kUnixEpochFileTimeMs) * kFileTimeTicksPerMs, &time)) {
        return std::string();
    }
    char text[32];
    if (part == DatePart::Seconds) {
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", time.hour, time.minute, time.second);
    } else if (part == DatePart::Minutes) {
        std::snprintf(text, sizeof text, "%02u-%02u %02u:%02u", time.month, time.day, time.hour,
                      time.minute);
    } else {
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.year, time.month, time.day);
    }
    return text;
}

// Date ticks on whole seconds, minutes, hours or days (UTC), at most about six of them.
void DateAxis(std::string& out, const PlotArea& area) {
    static const int64_t kSteps[] = {1000,
                                     5000,
                                     10000,
                                     30000,
                                     kMsPerMinute,
                                     5 * kMsPerMinute,
                                     15 * kMsPerMinute,
                                     60 * kMsPerMinute,
                                     3 * 60 * kMsPerMinute,
                                     6 * 60 * kMsPerMinute,
                                     12 * 60 * kMsPerMinute,
                                     kMsPerDay,
                                     2 * kMsPerDay,
                                     7 * kMsPerDay,
                                     14 * kMsPerDay,
                                     30 * kMsPerDay,
                                     91 * kMsPerDay,
                                     365 * kMsPerDay};
    const int64_t from = static_cast<int64_t>(area.xMin);
    const int64_t to = static_cast<int64_t>(area.xMax);
    int64_t step = 0;
    for (const int64_t candidate : kSteps) {
        if ((to - from) / candidate <= 6) {
            step = candidate;
            break;
        }
    }
    // Past the table, whole years on 1, 2, 5 times a power of ten: centuries of history
    // (a damaged clock) still get a handful of ticks.
    for (int64_t years = 1; step == 0; years *= 10) {
        for (const int64_t factor : {1, 2, 5}) {
            if ((to - from) / (factor * years * 365 * kMsPerDay) < kMaxChartTicks) {
                step = factor * years * 365 * kMsPerDay;
                break;
            }
        }
    }
    const DatePart part = step < kMsPerMinute ? DatePart::Seconds
                          : step < kMsPerDay  ? DatePart::Minutes
                                              : DatePart::Day;
    // Multiples of the step from 1970 on (never more than the bounded count above).
    for (int64_t tick = (from / step + 1) * step; tick <= to; tick += step) {
        const double x = area.X(static_cast<double>(tick));
        out += "<path class=\"grid\" d=\"M";
        AppendSvgNumber(out, x);
        out += ' ';
        AppendSvgNumber(out, area.top);
        out += " V";
        AppendSvgNumber(out, area.top + area.height);
        out += "\"/>\n";
        Text(out, x, area.top + area.height + 16, "middle", DateText(tick, part));
    }
}

void Path(std::string& out, const char* cls, const std::string& data) {
    if (data.empty()) return;
    out += "<path class=\"";
    out += cls;
    out += "\" d=\"";
    out += data;
    out += "\"/>\n";
}

void Legend(std::string& out, const std::vector<std::pair<const char*, std::string>>& entries) {
    out += "<p class=\"legend\">";
    for (const auto& [cls, text] : entries) {
        out += "<span class=\"key ";
        out += cls;
        out += "\"></span>";
        AppendHtmlText(out, text);
        out += ' ';
    }
    out += "</p>\n";
}

// Figures on a line of their own under a chart, apart from the legend's keys.
void Stats(std::string& out, const std::vector<std::string>& parts) {
    out += "<p class=\"stats\">";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += " \xc2\xb7 ";  // a middle dot between them
        AppendHtmlText(out, parts[i]);
    }
    out += "</p>\n";
}

// Long names are cut (on a character's boundary) so that they stay left of the bars.
std::string ShortLabel(const std::string& label) {
    constexpr size_t kMaxLabelBytes = 30;
    if (label.size() <= kMaxLabelBytes) return label;
    size_t cut = kMaxLabelBytes - 2;
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
    return label.substr(0, cut) + "\xe2\x80\xa6";
}

}  // namespace

std::vector<size_t> SelectTrendPoints(const std::vector<TrendPoint>& points, size_t maxPoints) {
    std::vector<size_t> kept;
    if (points.empty()) return kept;
    if (points.size() <= maxPoints) {
        for (size_t i = 0; i < points.size(); ++i) kept.push_back(i);
        return kept;
    }
    // Three runs per bucket at most (slowest, fastest, first failure) and the latest run.
    const size_t buckets = std::max<size_t>(1, (maxPoints - 1) / 3);
    for (size_t b = 0; b < buckets; ++b) {
        const size_t from = points.size() * b / buckets;
        const size_t to = points.size() * (b + 1) / buckets;
        size_t low = to, high = to, failure = to;
        for (size_t i = from; i < to; ++i) {
            const TrendPoint& p = points[i];
            if (p.failed) {
                if (failure == to) failure = i;
                continue;
            }
            if (low == to || p.averageBytesPerSecond < points[low].averageBytesPerSecond) low = i;
            if (high == to || p.averageBytesPerSecond > points[high].averageBytesPerSecond)
                high = i;
        }
        size_t chosen[3] = {low, high, failure};
        std::sort(std::begin(chosen), std::end(chosen));
        for (size_t i = 0; i < 3; ++i) {
            if (chosen[i] != to && (i == 0 || chosen[i] != chosen[i - 1]))
                kept.push_back(chosen[i]);
        }
    }
    if (kept.empty() || kept.back() != points.size() - 1) kept.push_back(points.size() - 1);
    return kept;
}

std::vector<ChartPoint> ItemSpeedSteps(const RunItemRecord& item) {
    std::vector<ChartPoint> steps;
    uint32_t lastMs = 0;
    uint64_t lastBytes = 0;
    auto step = [&](uint32_t ms, uint64_t bytes) {
        const double kb = static_cast<double>(bytes - lastBytes) / 1024.0;
        const double rate = kb * 1000.0 / (ms - lastMs);
        steps.push_back({lastMs / 1000.0, rate});
        steps.push_back({ms / 1000.0, rate});
        lastMs = ms;
        lastBytes = bytes;
    };
    for (const RunItemRecord::Sample& s : item.samples) {
        // A sample that goes back in time or in bytes is not an interval.
        if (s.ms <= lastMs || s.bytes < lastBytes) continue;
        step(s.ms, s.bytes);
    }
    // The bytes that came after the last sample, up to the end of the download.
    if (!steps.empty() && item.durationMs > lastMs && item.bytes > lastBytes &&
        item.durationMs <= UINT32_MAX) {
        step(static_cast<uint32_t>(item.durationMs), item.bytes);
    }
    return steps;
}

void AppendItemSpeedChart(std::string& out, const RunItemRecord& item, const ChartTexts& texts) {
    const std::vector<ChartPoint> steps = ItemSpeedSteps(item);
    if (steps.empty()) return;  // nothing to draw: the caller says so
    double top = std::max(ToKb(item.averageBytesPerSecond), ToKb(item.steadyBytesPerSecond));
    for (const ChartPoint& p : steps) top = std::max(top, p.y);
    const double end = steps.back().x;
    const ValueAxis values = SpeedAxis(top);
    const TimeAxis times = MakeTimeAxis(end, kTimeTickCount);
    // The time axis ends where the download ended.
    const PlotArea area = ChartArea(0, end, values.high);
    OpenSvg(out, "item", kChartHeight, item.name.empty() ? item.url : item.name);
    DrawValueAxis(out, area, values, texts.speedUnit);
    for (const AxisTick& tick : times.ticks) {
        if (tick.value > end + 1e-9) break;
        Text(out, area.X(tick.value), area.top + area.height + 16, "middle", tick.label);
    }
    Text(out, area.left + area.width, kChartHeight - 4, "end", texts.seconds, "unit");
    std::vector<PlotPoint> drawn;
    for (const ChartPoint& p : DownsampleMinMax(steps, kMaxSamplePoints / 2))
        drawn.push_back({p.x, p.y});
    Path(out, "speed", SvgLinePath(area, drawn));
    HorizontalLine(out, area, ToKb(item.averageBytesPerSecond), "average");
    if (item.hasSteady) HorizontalLine(out, area, ToKb(item.steadyBytesPerSecond), "steady");
    out += "</svg>\n";
    std::vector<std::pair<const char*, std::string>> legend = {{"speed", texts.speed},
                                                               {"average", texts.average}};
    std::vector<std::string> stats = {texts.average + " " + Kb(ToKb(item.averageBytesPerSecond)) +
                                      " " + texts.speedUnit};
    if (item.hasSteady) {
        legend.push_back({"steady", texts.steady});
        stats.push_back(texts.steady + " " + Kb(ToKb(item.steadyBytesPerSecond)) + " " +
                        texts.speedUnit);
    }
    Legend(out, legend);
    Stats(out, stats);
}

double BarScale::Share(double value) const {
    if (!std::isfinite(value) || value <= low) return 0;
    if (value >= high) return 1;
    if (logarithmic) return std::log10(value / low) / std::log10(high / low);
    return (value - low) / (high - low);
}

BarScale ChooseBarScale(const std::vector<double>& values) {
    double smallest = 0, largest = 0;
    for (const double v : values) {
        if (!std::isfinite(v) || v <= 0) continue;
        smallest = smallest == 0 ? v : std::min(smallest, v);
        largest = std::max(largest, v);
    }
    BarScale scale;
    if (smallest > 0 && largest / smallest > kLogScaleRatio) {
        scale.logarithmic = true;
        const int first = static_cast<int>(std::floor(std::log10(smallest)));
        const int last = static_cast<int>(std::ceil(std::log10(largest)));
        const int every = (last - first + kMaxChartTicks - 1) / kMaxChartTicks;  // decades
        scale.low = std::pow(10.0, first);
        scale.high = std::pow(10.0, last);
        for (int decade = first; decade <= last; decade += std::max(every, 1)) {
            const double value = std::pow(10.0, decade);
            scale.ticks.push_back({value, FormatGroupedNumber(value, decade < 0 ? -decade : 0)});
        }
        return scale;
    }
    const ValueAxis axis = SpeedAxis(largest);
    scale.high = axis.high;
    scale.ticks = axis.ticks;
    return scale;
}

void AppendComparisonChart(std::string& out, const std::vector<const RunItemRecord*>& items,
                           const ChartTexts& texts) {
    std::vector<double> values;
    bool anySteady = false;
    for (const RunItemRecord* item : items) {
        if (IsFailedStatusWord(item->status)) continue;
        values.push_back(ToKb(item->averageBytesPerSecond));
        if (item->hasSteady) values.push_back(ToKb(item->steadyBytesPerSecond));
        anySteady |= item->hasSteady;
    }
    const BarScale scale = ChooseBarScale(values);
    const double height =
        kMarginTop + kBarRowHeight * static_cast<double>(items.size()) + kMarginBottom;
    PlotArea area;
    area.left = kBarLabelWidth;
    area.top = kMarginTop;
    // Room on the right for the value printed past the longest bar.
    area.width = kChartWidth - kBarLabelWidth - kBarValueRoom;
    area.height = kBarRowHeight * static_cast<double>(items.size());
    auto x = [&](double value) { return area.left + area.width * scale.Share(value); };
    OpenSvg(out, "comparison", height, texts.average);
    for (const AxisTick& tick : scale.ticks) {
        out += "<path class=\"grid\" d=\"M";
        AppendSvgNumber(out, x(tick.value));
        out += ' ';
        AppendSvgNumber(out, area.top);
        out += " V";
        AppendSvgNumber(out, area.top + area.height);
        out += "\"/>\n";
        Text(out, x(tick.value), area.top + area.height + 16, "middle", tick.label);
    }
    Text(out, kChartWidth - 4, height - 4, "end",
         scale.logarithmic ? texts.speedUnit + " (" + texts.logScale + ")" : texts.speedUnit,
         "unit");
    for (size_t i = 0; i < items.size(); ++i) {
        const RunItemRecord& item = *items[i];
        const double y = area.top + kBarRowHeight * static_cast<double>(i);
        const std::string shown = ShortLabel(item.name.empty() ? item.url : item.name);
        Text(out, area.left - 6, y + 15, "end", shown, "user");
        if (IsFailedStatusWord(item.status)) {
            Text(out, area.left + 4, y + 15, "start", texts.failed, "failed");
            continue;
        }
        const double average = ToKb(item.averageBytesPerSecond);
        BarTo(out, "average", area.left, y + 3, x(average), 9);
        if (item.hasSteady) {
            BarTo(out, "steady", area.left, y + 13, x(ToKb(item.steadyBytesPerSecond)), 5);
        }
        // The value at the bar's end: a log scale is hard to read off.
        Text(out, x(average) + 4, y + 12, "start", Kb(average), "value");
    }
    out += "</svg>\n";
    std::vector<std::pair<const char*, std::string>> legend = {{"bar average", texts.average}};
    if (anySteady) legend.push_back({"bar steady", texts.steady});
    Legend(out, legend);
}

namespace {

// A run that another server or cache status answered: said in its title, and marked with
// a ring (a failure, which has no speed, with a ring on the bottom edge).
std::string PathChangeNote(const TrendPoint& p, const ChartTexts& texts) {
    return p.pathChanged ? " - " + texts.pathChanged : std::string();
}

void AppendPathChangeMark(std::string& out, const PlotArea& area, const TrendPoint& p, double x) {
    if (!p.pathChanged) return;
    out += "<circle class=\"changed\"";
    Attr(out, "cx", x);
    Attr(out, "cy", p.failed ? area.top + area.height : area.Y(ToKb(p.averageBytesPerSecond)));
    Attr(out, "r", 8);
    out += "/>";
}

}  // namespace

// Long because the chart is drawn in one pass, back to front: axes, bands, lines, points.
void AppendTrendChart(std::string& out, const UrlTrend& trend, const ChartTexts& texts) {
    std::vector<double> speeds;
    size_t failures = 0;
    for (const TrendPoint& p : trend.points) {
        if (p.failed) {
            ++failures;
        } else {
            speeds.push_back(ToKb(p.averageBytesPerSecond));
        }
    }
    const TrendStats stats = ComputeTrendStats(speeds);
    double top = stats.maximum;
    for (const TrendPoint& p : trend.points) top = std::max(top, ToKb(p.steadyBytesPerSecond));
    const ValueAxis values = SpeedAxis(top);
    double first = 0, last = 0;
    if (!trend.points.empty()) {
        first = static_cast<double>(trend.points.front().timeUnixMs);
        last = static_cast<double>(trend.points.back().timeUnixMs);
    }
    // A single run, or runs seconds apart, still get a readable span around them.
    if (last - first < kMsPerMinute) {
        first -= 30000;
        last += 30000;
    } else {
        const double pad = (last - first) / 40;
        first -= pad;
        last += pad;
    }
    const PlotArea area = ChartArea(first, last, values.high);
    OpenSvg(out, "trend", kChartHeight, trend.url);
    DrawValueAxis(out, area, values, texts.speedUnit);
    DateAxis(out, area);
    if (stats.count > 0) {
        HorizontalLine(out, area, stats.minimum, "minimum");
        HorizontalLine(out, area, stats.median, "median");
        HorizontalLine(out, area, stats.maximum, "maximum");
    }
    const std::vector<size_t> drawn = SelectTrendPoints(trend.points, kMaxTrendPoints);
    std::vector<PlotPoint> averageLine, steadyLine;
    for (const size_t i : drawn) {
        const TrendPoint& p = trend.points[i];
        if (p.failed) continue;
        averageLine.push_back({static_cast<double>(p.timeUnixMs), ToKb(p.averageBytesPerSecond)});
        if (p.hasSteady)
            steadyLine.push_back({static_cast<double>(p.timeUnixMs), ToKb(p.steadyBytesPerSecond)});
    }
    Path(out, "trend-average", SvgLinePath(area, averageLine));
    Path(out, "trend-steady", SvgLinePath(area, steadyLine));
    for (const size_t i : drawn) {
        const TrendPoint& p = trend.points[i];
        const bool latest = i + 1 == trend.points.size();
        const double x = area.X(static_cast<double>(p.timeUnixMs));
        out += "<g class=\"run";
        if (p.failed) out += " failed";
        if (latest) out += " latest";
        if (p.pathChanged) out += " changed";
        out += "\"><title>";
        AppendHtmlText(out,
                       DateText(p.timeUnixMs, DatePart::Minutes) + " " +
                           (p.failed ? texts.failed
                                     : Kb(ToKb(p.averageBytesPerSecond)) + " " + texts.speedUnit) +
                           PathChangeNote(p, texts));
        out += "</title>";
        AppendPathChangeMark(out, area, p, x);
        if (p.failed) {
            // A cross on the bottom edge: a failure has no speed.
            const double y = area.top + area.height;
            out += "<path d=\"M";
            AppendSvgNumber(out, x - 4);
            out += ' ';
            AppendSvgNumber(out, y - 4);
            out += " l8 8 m0 -8 l-8 8\"/>";
        } else {
            out += "<circle";
            Attr(out, "cx", x);
            Attr(out, "cy", area.Y(ToKb(p.averageBytesPerSecond)));
            Attr(out, "r", latest ? 5 : 3);
            out += "/>";
            if (p.hasSteady) {
                out += "<rect class=\"steady\"";
                Attr(out, "x", x - 2);
                Attr(out, "y", area.Y(ToKb(p.steadyBytesPerSecond)) - 2);
                Attr(out, "width", 4);
                Attr(out, "height", 4);
                out += "/>";
            }
        }
        out += "</g>\n";
    }
    out += "</svg>\n";
    bool anySteady = false;
    for (const TrendPoint& p : trend.points) anySteady |= p.hasSteady;
    std::vector<std::pair<const char*, std::string>> legend = {{"average", texts.average}};
    if (anySteady) legend.push_back({"steady", texts.steady});
    legend.push_back({"latest", texts.latest});
    if (stats.count > 0) {
        legend.push_back({"minimum", texts.minimum});
        legend.push_back({"median", texts.median});
        legend.push_back({"maximum", texts.maximum});
    }
    if (failures > 0) legend.push_back({"failed", texts.failed});
    const size_t changes =
        static_cast<size_t>(std::count_if(trend.points.begin(), trend.points.end(),
                                          [](const TrendPoint& p) { return p.pathChanged; }));
    if (changes > 0) legend.push_back({"changed", texts.pathChanged});
    Legend(out, legend);
    std::vector<std::string> figures;
    if (stats.count > 0) {
        figures.push_back(texts.minimum + " " + Kb(stats.minimum) + " " + texts.speedUnit);
        figures.push_back(texts.median + " " + Kb(stats.median) + " " + texts.speedUnit);
        figures.push_back(texts.maximum + " " + Kb(stats.maximum) + " " + texts.speedUnit);
    }
    figures.push_back(texts.runs + " " + FormatGroupedNumber(trend.points.size(), 0));
    if (failures > 0) figures.push_back(texts.failed + " " + FormatGroupedNumber(failures, 0));
    if (changes > 0) figures.push_back(texts.pathChanged + " " + FormatGroupedNumber(changes, 0));
    if (drawn.size() < trend.points.size()) {
        figures.push_back(texts.pointsShown + " " + FormatGroupedNumber(drawn.size(), 0));
    }
    Stats(out, figures);
}

}  // namespace vm
