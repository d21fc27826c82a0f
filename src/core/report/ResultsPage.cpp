#include "core/report/ResultsPage.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "core/chart/AxisTicks.h"
#include "core/chart/ChartUnit.h"
#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"
#include "core/platform/FileReplacement.h"
#include "core/report/HtmlText.h"
#include "core/report/PrometheusText.h"
#include "core/report/ResultsCharts.h"

namespace vm {
namespace {

// Light colours first; a dark theme and print each get their own.
const char kStyle[] =
    ":root{color-scheme:light dark;--fg:#1d1d1f;--bg:#ffffff;--muted:#5f6368;--grid:#d5d8dc;"
    "--avg:#1a66c9;--steady:#c45a00;--fail:#c62828;--stat:#2e7d32;--row:#f3f5f7}\n"
    "@media (prefers-color-scheme:dark){:root{--fg:#e8eaed;--bg:#17181a;--muted:#a0a4a8;"
    "--grid:#3c4043;--avg:#76adff;--steady:#ffab5e;--fail:#ff7a7a;--stat:#7bd389;--row:#222426}}\n"
    "@media print{:root{--fg:#000;--bg:#fff;--muted:#444;--grid:#bbb;--avg:#0b4ea2;"
    "--steady:#a34700;--fail:#b00020;--stat:#1b5e20;--row:#f0f0f0}"
    "figure{break-inside:avoid}body{margin:0}}\n"
    "body{font:14px/1.4 system-ui,-apple-system,\"Segoe UI\",sans-serif;color:var(--fg);"
    "background:var(--bg);margin:1.5em auto;max-width:80em;padding:0 1em}\n"
    "h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.6em}\n"
    "table{border-collapse:collapse;width:100%}th,td{padding:.3em .5em;text-align:left;"
    "border-bottom:1px solid "
    "var(--grid);vertical-align:top}td.n{text-align:right;"
    "white-space:nowrap}tr:nth-child(even) td{background:var(--row)}\n"
    // Wide content scrolls sideways in its own box: the page itself never does.
    ".scroll{overflow-x:auto;max-width:100%}.scroll table{min-width:36em}"
    ".scroll svg.chart{min-width:40em;max-width:60em}td.u{white-space:nowrap}\n"
    // Names and URLs come from anywhere: each keeps its own direction.
    "bdi,svg text.user{unicode-bidi:isolate}\n"
    ".stats{font-size:13px;margin:.2em 0 1em}\n"
    "figure{margin:1em 0}figcaption{font-weight:600;overflow-wrap:anywhere}"
    "figcaption small{font-weight:400;color:var(--muted)}\n"
    "svg.chart{width:100%;height:auto;display:block}svg text{fill:var(--muted);font-size:12px}"
    "svg text.unit{font-style:italic}svg text.failed{fill:var(--fail)}\n"
    ".grid{stroke:var(--grid);stroke-width:1;fill:none}.speed,.trend-average{fill:none;"
    "stroke:var(--avg);stroke-width:1.5}.trend-steady{fill:none;stroke:var(--steady);"
    "stroke-width:1;stroke-dasharray:4 3}path.average{stroke:var(--avg);stroke-dasharray:6 4;"
    "stroke-width:1.2}path.steady{stroke:var(--steady);stroke-dasharray:2 3;stroke-width:1.5}"
    "rect.average{fill:var(--avg)}rect.steady{fill:var(--steady)}\n"
    ".minimum,.maximum{stroke:var(--stat);stroke-width:1;stroke-dasharray:1 3}.median{"
    "stroke:var(--stat);stroke-width:1.2;stroke-dasharray:6 3}\n"
    "g.run circle{fill:var(--avg)}g.run.latest circle{fill:var(--bg);stroke:var(--avg);"
    "stroke-width:3}g.run.failed path{stroke:var(--fail);stroke-width:2}"
    "g.run.latest.failed path{stroke-width:4}"
    "g.run circle.changed{fill:none;stroke:var(--stat);stroke-width:1.5}\n"
    ".legend{color:var(--muted);font-size:12px;margin:.2em 0}.key{display:inline-block;"
    "width:1.4em;height:0;border-top:2px solid var(--avg);vertical-align:middle;margin:0 .3em 0 "
    ".6em}"
    ".key.steady{border-top:2px dotted var(--steady)}.key.average{border-top:2px dashed var(--avg)}"
    ".key.latest{width:.6em;height:.6em;border:2px solid var(--avg);border-radius:50%}"
    ".key.minimum,.key.maximum{border-top:2px dotted var(--stat)}.key.median{border-top:2px dashed "
    "var(--stat)}"
    ".key.failed{border-top:2px solid var(--fail)}"
    ".key.bar{height:.7em;width:.7em;border:0}.key.bar.average{background:var(--avg)}"
    ".key.bar.steady{background:var(--steady)}"
    ".key.changed{width:.6em;height:.6em;border:1.5px solid var(--stat);border-radius:50%}\n"
    ".note{color:var(--fail)}\n";

class Texts {
public:
    explicit Texts(TextEncoding& encoding) : encoding_(encoding) {}
    std::string operator()(uint32_t id) const { return encoding_.SystemToUtf8(GetString(id)); }
    // A text with one "%s" (checked by the string table) filled with a number.
    std::string WithNumber(uint32_t id, double value, int decimals) const {
        char number[32];
        std::snprintf(number, sizeof number, "%.*f", decimals, value);
        const char* format = GetFormatString(id);
        const int length = std::snprintf(nullptr, 0, format, number);
        if (length <= 0) return number;
        std::string line(static_cast<size_t>(length) + 1, '\0');
        std::snprintf(&line[0], line.size(), format, number);
        line.resize(static_cast<size_t>(length));
        return encoding_.SystemToUtf8(line);
    }
    std::string Utf8(const std::string& system) const { return encoding_.SystemToUtf8(system); }

private:
    TextEncoding& encoding_;
};

void Element(std::string& out, const char* tag, const std::string& text,
             const char* cls = nullptr) {
    out += '<';
    out += tag;
    AppendClassAndText(out, cls, text);
    out += "</";
    out += tag;
    out += ">";
}

// URLs longer than this show their start and end around an ellipsis.
constexpr size_t kMaxShownUrlBytes = 48;
constexpr size_t kShownUrlTailBytes = 16;

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string ShortenedUrl(const std::string& url) {
    if (url.size() <= kMaxShownUrlBytes) return url;
    size_t head = kMaxShownUrlBytes - kShownUrlTailBytes - 1;
    while (head > 0 && Continuation(url[head])) --head;
    size_t tail = url.size() - kShownUrlTailBytes;
    while (tail < url.size() && Continuation(url[tail])) ++tail;
    return url.substr(0, head) + "\xe2\x80\xa6" + url.substr(tail);
}

// A text the user (or a server, or the history) supplied, isolated from its neighbours'
// direction: a right-to-left override in a name stops at its end.
void UserText(std::string& out, const std::string& text) {
    out += "<bdi>";
    AppendHtmlText(out, text);
    out += "</bdi>";
}

// A table cell of user text; a long URL shows its start and end with the whole in a title.
void UserCell(std::string& out, const std::string& text, bool url) {
    out += "<td class=\"u\"";
    const std::string shown = url ? ShortenedUrl(text) : text;
    if (shown != text) {
        out += " title=\"";
        AppendHtmlText(out, text);
        out += '"';
    }
    out += '>';
    UserText(out, shown);
    out += "</td>";
}

// One decimal with thousands grouped, as the charts' figures.
std::string Grouped(double value) { return FormatGroupedNumber(value, 1); }

// "4", and with a comparison "4 (per connection, 3.98x)"; "-" when not known.
std::string ConnectionsCell(const RunItemRecord& item, const Texts& text) {
    if (item.connectionsUsed < 1) return "-";
    std::string cell = std::to_string(item.connectionsUsed);
    if (item.hasVerdict) {
        cell += " (" + text(item.perConnectionLimit ? IDS_LIMIT_PER_CONNECTION : IDS_LIMIT_PATH) +
                ", " + FormatGroupedNumber(item.connectionRatio, 2) + "x)";
    }
    return cell;
}

// "high", or with repeated measurements "high, 5 repeats, median 2,048.0 KB/Sec ±0.4%";
// empty for an item without a confidence (it did not finish, or an older run).
std::string ConfidenceCell(const RunItemRecord& item, const Texts& text) {
    static const char* const kWords[] = {"low", "medium", "high"};
    for (uint32_t level = 0; level < 3; ++level) {
        if (item.confidence != kWords[level]) continue;
        if (item.repeats < 2) return text(IDS_CONFIDENCE_LOW + level);
        const std::string median = FormatChartSpeed(item.medianBytesPerSecond, ChartUnit::KBps);
        char spread[32];
        std::snprintf(spread, sizeof spread, "%.1f", item.cv * 100);
        char line[256];
        std::snprintf(line, sizeof line, GetFormatString(IDS_CONFIDENCE_REPEATS),
                      GetString(IDS_CONFIDENCE_LOW + level), static_cast<int>(item.repeats),
                      median.c_str(), spread);
        // The format and its words come from the string table in the system code page.
        return text.Utf8(line);
    }
    return std::string();
}

void AppendTable(std::string& out, const std::vector<RunItemRecord>& items, const Texts& text) {
    const std::string unit = " (" + text(IDS_UNIT_KB_PER_SEC) + ")";
    // A column nobody has a value in is left out.
    bool anyName = false, anySteady = false, anyConnections = false;
    for (const RunItemRecord& item : items) {
        anyName |= !item.name.empty();
        anySteady |= item.hasSteady;
        anyConnections |= item.connectionsUsed > 0;
    }
    out += "<div class=\"scroll\">\n<table>\n<thead><tr>";
    if (anyName) Element(out, "th", text(IDS_COLUMN_NAME));
    for (const std::string& heading : {text(IDS_COLUMN_URL), text(IDS_COLUMN_STATUS),
                                       text(IDS_COLUMN_DOWNLOADED) + " (" + text(IDS_UNIT_KB) + ")",
                                       text(IDS_PAGE_SECONDS), text(IDS_PAGE_AVERAGE) + unit}) {
        Element(out, "th", heading);
    }
    if (anySteady) Element(out, "th", text(IDS_PAGE_STEADY) + unit);
    if (anyConnections) Element(out, "th", text(IDS_PAGE_CONNECTIONS));
    Element(out, "th", text(IDS_PAGE_CONFIDENCE));
    out += "</tr></thead>\n<tbody>\n";
    for (const RunItemRecord& item : items) {
        out += "<tr>";
        if (anyName) UserCell(out, item.name, false);
        UserCell(out, item.url, true);
        UserCell(out, item.statusText.empty() ? item.status : item.statusText, false);
        Element(out, "td", Grouped(static_cast<double>(item.bytes) / 1024), "n");
        Element(out, "td", Grouped(static_cast<double>(item.durationMs) / 1000), "n");
        Element(out, "td", Grouped(item.averageBytesPerSecond / 1024), "n");
        if (anySteady) {
            Element(out, "td", item.hasSteady ? Grouped(item.steadyBytesPerSecond / 1024) : "-",
                    "n");
        }
        if (anyConnections) Element(out, "td", ConnectionsCell(item, text), "n");
        Element(out, "td", ConfidenceCell(item, text));
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</div>\n";
}

void OpenFigure(std::string& out, const std::string& title, const std::string& detail) {
    out += "<figure>\n<figcaption>";
    UserText(out, title);
    if (!detail.empty() && detail != title) {
        out += " <small>";
        UserText(out, detail);
        out += "</small>";
    }
    out += "</figcaption>\n";
}

// The run as the page shows it: the items in the order they were downloaded, and no
// password in any URL (the page is made to be passed on, like the metrics).
RunRecord PageRun(const RunRecord& source) {
    RunRecord run = source;
    std::stable_sort(
        run.items.begin(), run.items.end(),
        [](const RunItemRecord& a, const RunItemRecord& b) { return a.order < b.order; });
    for (RunItemRecord& item : run.items) item.url = UrlForLabel(item.url);
    return run;
}

// The URLs the trends are drawn for: the latest run's in its order, then the others
// last seen most recently, kMaxTrendCharts at most.
std::vector<const UrlTrend*> ChooseTrends(const HistoryReader& history, const RunRecord& run) {
    std::vector<const UrlTrend*> chosen;
    std::unordered_set<std::string> taken;
    std::vector<const UrlTrend*> byUrl;
    for (const RunItemRecord& item : run.items) {
        if (chosen.size() >= kMaxTrendCharts) break;
        for (const UrlTrend& trend : history.Trends()) {
            if (UrlForLabel(trend.url) == item.url && taken.insert(trend.url).second) {
                chosen.push_back(&trend);
                break;
            }
        }
    }
    std::vector<const UrlTrend*> rest;
    for (const UrlTrend& trend : history.Trends()) {
        if (taken.count(trend.url) == 0) rest.push_back(&trend);
    }
    std::stable_sort(rest.begin(), rest.end(), [](const UrlTrend* a, const UrlTrend* b) {
        return a->lastSeenUnixMs > b->lastSeenUnixMs;
    });
    for (const UrlTrend* trend : rest) {
        if (chosen.size() >= kMaxTrendCharts) break;
        chosen.push_back(trend);
    }
    return chosen;
}

// Under an item's chart: its latency idle and under load, when it was probed.
void AppendLatencyNote(std::string& out, const RunItemRecord& item, const Texts& text) {
    if (item.idleProbes == 0 && item.loadedProbes == 0) return;
    std::string note = text(IDS_LATENCY_CAPTION);
    if (item.idleProbes > 0) note += " " + text.WithNumber(IDS_LATENCY_IDLE, item.idleMedianMs, 1);
    if (item.loadedProbes > 0) {
        note += (item.idleProbes > 0 ? ", " : " ") +
                text.WithNumber(IDS_LATENCY_LOADED, item.loadedMedianMs, 1);
        if (item.idleProbes > 0)
            note += " " +
                    text.WithNumber(IDS_LATENCY_ADDED, item.loadedMedianMs - item.idleMedianMs, 1);
        note += ", " + text.WithNumber(IDS_LATENCY_RPM, static_cast<double>(item.rpm), 0);
    }
    Element(out, "p", note, "latency");
}

}  // namespace

// Long as the page is: it writes the document top to bottom, in the order a reader sees it.
std::string BuildResultsPage(const ResultsPageSource& source) {
    const HistoryReader& history = *source.history;
    const Texts text(*source.encoding);
    ChartTexts chart;
    chart.speedUnit = text(IDS_UNIT_KB_PER_SEC);
    chart.seconds = text(IDS_PAGE_SECONDS);
    chart.average = text(IDS_PAGE_AVERAGE);
    chart.steady = text(IDS_PAGE_STEADY);
    chart.minimum = text(IDS_PAGE_MINIMUM);
    chart.median = text(IDS_PAGE_MEDIAN);
    chart.maximum = text(IDS_PAGE_MAXIMUM);
    chart.failed = text(IDS_PAGE_FAILED);
    chart.latest = text(IDS_PAGE_LATEST);
    chart.runs = text(IDS_PAGE_RUNS);
    chart.pointsShown = text(IDS_PAGE_POINTS_SHOWN);
    chart.speed = text(IDS_PAGE_SPEED);
    chart.logScale = text(IDS_PAGE_LOG_SCALE);
    chart.pathChanged = text(IDS_PATH_CHANGED);

    std::string out;
    out.reserve(256 * 1024);
    out +=
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'\">\n"
        "<meta name=\"color-scheme\" content=\"light dark\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    AppendHtmlText(out, text(IDS_PAGE_TITLE));
    out += "</title>\n<style>\n";
    out += kStyle;
    out += "</style>\n</head>\n<body>\n";
    Element(out, "h1", text(IDS_PAGE_TITLE));
    out += '\n';
    if (!source.historyKept) {
        Element(out, "p", text(IDS_PAGE_NO_HISTORY));
        out += '\n';
    }
    if (history.DamagedLines() > 0) {
        Element(out, "p",
                text(IDS_PAGE_DAMAGED_LINES) + " " + std::to_string(history.DamagedLines()),
                "note");
        out += '\n';
    }
    if (history.TornLastLine()) {
        Element(out, "p", text(IDS_PAGE_TORN_LAST_LINE), "note");
        out += '\n';
    }
    if (source.run == nullptr && !history.HasLatest()) {
        Element(out, "p", text(IDS_PAGE_NO_RUN));
        out += "\n</body>\n</html>\n";
        return out;
    }
    const RunRecord& run = PageRun(source.run != nullptr ? *source.run : history.Latest());
    if (!run.runStart.empty()) {
        Element(out, "p", text(IDS_PAGE_RUN_START) + " " + run.runStart.substr(0, 19));
        out += '\n';
    }

    Element(out, "h2", text(IDS_PAGE_RESULTS));
    out += '\n';
    AppendTable(out, run.items, text);

    std::vector<const RunItemRecord*> finished;
    std::vector<const RunItemRecord*> compared;
    for (const RunItemRecord& item : run.items) {
        if (item.status == "finished") finished.push_back(&item);
        if (item.status == "finished" || IsFailedStatusWord(item.status)) compared.push_back(&item);
    }
    if (!finished.empty()) {
        Element(out, "h2", text(IDS_PAGE_SPEED_OVER_TIME));
        out += '\n';
        for (size_t i = 0; i < finished.size() && i < kMaxItemCharts; ++i) {
            const RunItemRecord& item = *finished[i];
            OpenFigure(out, item.name.empty() ? item.url : item.name, item.url);
            if (ItemSpeedSteps(item).empty()) {
                Element(out, "p", text(IDS_PAGE_NO_SAMPLES));  // and no empty chart
            } else {
                out += "<div class=\"scroll\">\n";
                AppendItemSpeedChart(out, item, chart);
                out += "</div>\n";
            }
            AppendLatencyNote(out, item, text);
            out += "</figure>\n";
        }
        if (finished.size() > kMaxItemCharts) {
            Element(out, "p",
                    text(IDS_PAGE_ITEMS_NOT_DRAWN) + " " +
                        std::to_string(finished.size() - kMaxItemCharts));
            out += '\n';
        }
    }
    if (!compared.empty()) {
        Element(out, "h2", text(IDS_PAGE_COMPARISON));
        out += "\n<figure>\n";
        if (compared.size() > kMaxItemCharts) compared.resize(kMaxItemCharts);
        out += "<div class=\"scroll\">\n";
        AppendComparisonChart(out, compared, chart);
        out += "</div>\n</figure>\n";
    }

    const std::vector<const UrlTrend*> trends = ChooseTrends(history, run);
    if (!trends.empty()) {
        Element(out, "h2", text(IDS_PAGE_TRENDS));
        out += '\n';
        for (const UrlTrend* trend : trends) {
            UrlTrend shown = *trend;
            shown.url = UrlForLabel(trend->url);
            OpenFigure(out, shown.name.empty() ? shown.url : shown.name, shown.url);
            out += "<div class=\"scroll\">\n";
            // Appends from processes that ran at once can land out of time order.
            std::stable_sort(shown.points.begin(), shown.points.end(),
                             [](const TrendPoint& a, const TrendPoint& b) {
                                 return a.timeUnixMs < b.timeUnixMs;
                             });
            AppendTrendChart(out, shown, chart);
            out += "</div>\n</figure>\n";
        }
        if (history.Trends().size() > trends.size()) {
            Element(out, "p",
                    text(IDS_PAGE_MORE_URLS) + " " +
                        std::to_string(history.Trends().size() - trends.size()));
            out += '\n';
        }
    }
    out += "</body>\n</html>\n";
    return out;
}

bool WriteResultsPage(const ResultsPageSource& source, FileSystem& files, const std::string& path,
                      uint32_t* error) {
    const std::string page = BuildResultsPage(source);
    // Like every report: an older page stays whole until the new one is complete.
    return WriteFileReplacing(
        files, path, [&page](OutputFile& file) { return file.Write(page); }, error);
}

}  // namespace vm
