#include "core/report/PrometheusText.h"

#include <unordered_map>
#include <utility>

#include "core/base/JsonText.h"
#include "core/base/Utf8Text.h"
#include "core/engine/LatencyStats.h"
#include "core/engine/PathIdentity.h"
#include "core/engine/RepeatRules.h"
#include "core/engine/SpeedThreshold.h"
#include "core/platform/FileReplacement.h"

namespace vm {
namespace {

// FILETIME of 1970-01-01 00:00 UTC.
constexpr FileTime kUnixEpoch = 116444736000000000ULL;
// Values are written to a millionth: microseconds for times, far below a byte for speeds.
constexpr int kValueDecimals = 6;

const char* const kPhaseLabels[kAttemptPhaseCount] = {"name_resolved", "connected", "request_sent",
                                                      "first_byte"};

// One item's series: its label set and what it measured.
struct ItemSeries {
    std::string labels;  // inside the braces, without a trailing comma
    const DownloadItem* item = nullptr;
    const ItemMeasurements* measurements = nullptr;
};

class MetricsWriter {
public:
    explicit MetricsWriter(std::string& out) : out_(out) {}

    // Starts a family; its HELP and TYPE lines come with its first sample, so that a
    // family without samples leaves nothing behind.
    void Family(const char* name, const char* help) {
        name_ = name;
        help_ = help;
        started_ = false;
    }
    void Sample(const std::string& labels, double value) {
        if (!started_) {
            started_ = true;
            out_ += "# HELP ";
            out_ += kMetricPrefix;
            out_ += name_;
            out_ += ' ';
            out_ += help_;
            out_ += "\n# TYPE ";
            out_ += kMetricPrefix;
            out_ += name_;
            out_ += " gauge\n";
        }
        out_ += kMetricPrefix;
        out_ += name_;
        if (!labels.empty()) {
            out_ += '{';
            out_ += labels;
            out_ += '}';
        }
        out_ += ' ';
        AppendJsonNumber(out_, value, kValueDecimals);
        out_ += '\n';
    }

private:
    std::string& out_;
    const char* name_ = "";
    const char* help_ = "";
    bool started_ = false;
};

std::string Label(const char* name, std::string_view value) {
    std::string text = name;
    text += "=\"";
    text += EscapeLabelValue(value);
    text += '"';
    return text;
}

std::vector<ItemSeries> CollectSeries(const std::vector<DownloadItem>& items,
                                      const MetricsSource& source) {
    std::vector<ItemSeries> series;
    std::unordered_map<std::string, int> seen;
    for (size_t index = 0; index < items.size(); ++index) {
        const DownloadItem& item = items[index];
        if (item.deleted != 0 || item.disabled != 0) continue;
        const std::string url = source.encoding->SystemToUtf8(UrlForLabel(item.url));
        const std::string name = source.encoding->SystemToUtf8(item.name);
        ItemSeries s;
        s.labels = Label("url", url) + "," + Label("name", name);
        // Two items with the same URL and name would be one series twice, which the
        // collectors refuse: the repeats are told apart.
        const int count = ++seen[s.labels];
        if (count > 1) s.labels += "," + Label("occurrence", std::to_string(count));
        s.item = &item;
        s.measurements =
            source.measurements != nullptr ? source.measurements->ForItem(index) : nullptr;
        series.push_back(std::move(s));
    }
    return series;
}

// How far each finished item's speed can be trusted, and the spread of its repeats.
void PutSpread(MetricsWriter& w, const std::vector<ItemSeries>& series) {
    w.Family("download_confidence",
             "How far the speed can be trusted: 0 low, 1 medium, 2 high (finished items).");
    for (const ItemSeries& s : series) {
        SpeedStats stats;
        Confidence confidence = Confidence::Low;
        if (ItemConfidence(*s.item, s.measurements, &stats, &confidence)) {
            w.Sample(s.labels, static_cast<double>(confidence));
        }
    }
    const auto repeated = [](const ItemSeries& s) {
        return s.measurements != nullptr && s.measurements->repeats.size() >= 2 &&
               RepeatSpeedStats(s.measurements->repeats).n > 0;
    };
    w.Family("download_speed_p10_bytes_per_second",
             "10th percentile of the speeds of the item's repeated measurements.");
    for (const ItemSeries& s : series) {
        if (repeated(s)) w.Sample(s.labels, RepeatSpeedStats(s.measurements->repeats).p10);
    }
    w.Family("download_speed_p90_bytes_per_second",
             "90th percentile of the speeds of the item's repeated measurements.");
    for (const ItemSeries& s : series) {
        if (repeated(s)) w.Sample(s.labels, RepeatSpeedStats(s.measurements->repeats).p90);
    }
}

}  // namespace

std::string EscapeLabelValue(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\n";
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else {
            const size_t length = Utf8SequenceLength(utf8, i);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
                continue;
            }
            out.append(utf8.substr(i, length));
            i += length;
            continue;
        }
        ++i;
    }
    return out;
}

bool IsValidMetricName(std::string_view name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

std::string UrlForLabel(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    const size_t start = scheme + 3;
    size_t end = url.find_first_of("/?#", start);
    if (end == std::string::npos) end = url.size();
    const size_t at = url.rfind('@', end);
    if (at == std::string::npos || at < start) return url;
    const size_t colon = url.find(':', start);
    if (colon == std::string::npos || colon > at) return url;
    return url.substr(0, colon) + url.substr(at);
}

double UnixSeconds(FileTime time) {
    if (time < kUnixEpoch) return 0;
    return static_cast<double>(time - kUnixEpoch) / 1e7;
}

// Long because each metric family is written here, in the exposition's order.
std::string PrometheusMetricsText(const std::vector<DownloadItem>& items,
                                  const MetricsSource& source) {
    const std::vector<ItemSeries> series = CollectSeries(items, source);
    const AppSettings& settings = *source.settings;
    std::string out;
    MetricsWriter w(out);

    w.Family("download_bytes", "Bytes the item's latest attempt downloaded.");
    for (const ItemSeries& s : series) w.Sample(s.labels, static_cast<double>(s.item->bytes));

    w.Family("download_duration_seconds",
             "Time from the accepted response to the end of the item's download.");
    for (const ItemSeries& s : series) w.Sample(s.labels, s.item->duration / 1000.0);

    w.Family("download_average_speed_bytes_per_second",
             "Bytes downloaded over the download's duration.");
    for (const ItemSeries& s : series) w.Sample(s.labels, s.item->speedKBps * 1024);

    w.Family("download_steady_speed_bytes_per_second",
             "Speed after the warm-up, outliers left out; only when the samples give one.");
    for (const ItemSeries& s : series) {
        bool steady = false;
        const double speed = JudgedSpeed(*s.item, s.measurements, &steady);
        if (steady) w.Sample(s.labels, speed);
    }

    w.Family("download_min_speed_bytes_per_second",
             "The minimum speed the item is held to (MinSpeed, else DefaultMinSpeed).");
    for (const ItemSeries& s : series) {
        const int32_t min = EffectiveMinSpeed(*s.item, settings);
        if (min > 0) w.Sample(s.labels, static_cast<double>(min) * 1024);
    }

    w.Family("download_phase_seconds",
             "Time from the start of the item's latest attempt to each step of the request.");
    for (const ItemSeries& s : series) {
        if (s.measurements == nullptr) continue;
        for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
            if (!s.measurements->hasPhase[phase]) continue;
            w.Sample(s.labels + "," + Label("phase", kPhaseLabels[phase]),
                     s.measurements->phaseMs[phase] / 1000.0);
        }
    }

    w.Family("download_success", "1 when the item finished, 0 when it failed or did not run.");
    for (const ItemSeries& s : series) {
        w.Sample(s.labels, s.item->status == DownloadStatus::Finished ? 1 : 0);
    }

    w.Family("download_slow", "1 when the item finished below its minimum speed.");
    for (const ItemSeries& s : series) w.Sample(s.labels, s.item->belowMinSpeed ? 1 : 0);
    PutSpread(w, series);

    w.Family("download_connections",
             "Connections the item's latest attempt used at once for the body.");
    for (const ItemSeries& s : series) {
        if (s.measurements != nullptr && s.measurements->attempts > 0)
            w.Sample(s.labels, s.measurements->connections.used);
    }

    w.Family("download_info",
             "Which server answered the item's latest attempt: address, protocol, cache status.");
    for (const ItemSeries& s : series) {
        if (s.measurements == nullptr || !s.measurements->server.Known()) continue;
        const PathIdentity& server = s.measurements->server;
        w.Sample(s.labels + "," + Label("address", server.address) + "," +
                     Label("http_version", source.encoding->SystemToUtf8(server.httpVersion)) +
                     "," + Label("cache", source.encoding->SystemToUtf8(CacheStatus(server))),
                 1);
    }

    w.Family("download_latency_seconds",
             "Latency probes' time to first byte before (idle) and during (loaded) the download.");
    for (const ItemSeries& s : series) {
        if (s.measurements == nullptr || !s.measurements->latency.measured) continue;
        const LatencyResult& latency = s.measurements->latency;
        for (const auto& state : {std::make_pair("idle", &latency.idleMs),
                                  std::make_pair("loaded", &latency.loadedMs)}) {
            if (state.second->empty()) continue;
            const LatencySummary summary = SummarizeLatency(*state.second);
            const std::string labels = s.labels + "," + Label("state", state.first) + ",";
            w.Sample(labels + Label("quantile", "0.5"), summary.median / 1000.0);
            w.Sample(labels + Label("quantile", "0.9"), summary.p90 / 1000.0);
        }
    }
    w.Family("download_rpm", "Round trips per minute under the download's load.");
    for (const ItemSeries& s : series) {
        if (s.measurements == nullptr || s.measurements->latency.loadedMs.empty()) continue;
        w.Sample(s.labels, RoundTripsPerMinute(s.measurements->latency.loadedMs));
    }

    if (source.measurements != nullptr) {
        w.Family("run_start_time_seconds", "When the run started, in seconds since 1970.");
        if (source.measurements->RunStart() >= kUnixEpoch) {
            w.Sample("", UnixSeconds(source.measurements->RunStart()));
        }
        w.Family("run_end_time_seconds", "When the run ended, in seconds since 1970.");
        if (source.measurements->RunEnd() >= kUnixEpoch) {
            w.Sample("", UnixSeconds(source.measurements->RunEnd()));
        }
    }
    if (source.alerts != nullptr) {
        w.Family("alert", "1 while an alert rule fires for the URL, 0 in the run it recovered.");
        std::unordered_map<std::string, int> seen;
        for (const Alert& alert : *source.alerts) {
            const std::string labels = Label("url", UrlForLabel(alert.url)) + "," +
                                       Label("name", alert.name) + "," +
                                       Label("rule", AlertRuleWord(alert.rule));
            // Each series once, as the collectors want.
            if (++seen[labels] > 1) continue;
            w.Sample(labels, alert.state == AlertState::Firing ? 1 : 0);
        }
    }
    return out;
}

bool WritePrometheusFile(const std::string& text, FileSystem& files, const std::string& path,
                         uint32_t* error) {
    return WriteFileReplacing(
        files, path, [&](OutputFile& file) { return file.Write(text); }, error);
}

}  // namespace vm
