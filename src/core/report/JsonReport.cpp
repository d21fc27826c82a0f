#include "core/report/JsonReport.h"
#include "core/list/ItemCells.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/base/JsonText.h"
#include "core/engine/ConnectionVerdict.h"
#include "core/engine/LatencyStats.h"
#include "core/engine/PathIdentity.h"
#include "core/engine/RepeatRules.h"
#include "core/engine/SpeedRules.h"
#include "core/engine/SpeedThreshold.h"
#include "core/engine/SteadySpeed.h"
#include "core/engine/TestRun.h"
#include "core/options/OptionTable.h"
#include "core/platform/FileReplacement.h"
#include "core/report/ReportFormat.h"

namespace vm {
namespace {

// Speeds are written to a thousandth of a byte per second, probe times to a microsecond.
constexpr int kSpeedDecimals = 3;
constexpr int kLatencyDecimals = 3;
constexpr int kRatioDecimals = 3;

const char* const kPhaseKeys[kAttemptPhaseCount] = {"name_resolved", "connected", "request_sent",
                                                    "first_byte"};

uint64_t NonNegativeSeconds(int32_t seconds) {
    return seconds < 0 ? 0 : static_cast<uint64_t>(seconds);
}

void PutTime(JsonBuilder& json, const char* key, FileTime time) {
    const std::string text = IsoUtcTime(time);
    if (text.empty()) return;
    json.Key(key);
    json.String(text);
}

void PutOption(JsonBuilder& json, const AppSettings& settings, const OptionSpec& option,
               const char* name) {
    if (option.json == JsonForm::StableRule) {
        const int32_t unit = settings.AutoStopStableUnit;
        if (unit != kStableUnitPercent && unit != kStableUnitKBps) return;
        json.Key(name);
        json.BeginObject();
        json.Key("value");
        json.Number(settings.*option.decimal, 6);
        json.Key("unit");
        json.String(unit == kStableUnitPercent ? "percent" : "kb_per_s");
        json.EndObject();
        return;
    }
    json.Key(name);
    switch (option.json) {
        case JsonForm::Seconds:
            json.UInt(NonNegativeSeconds(settings.*option.number));
            break;
        case JsonForm::RetryLimit:
            json.UInt(RetryLimit(settings));
            break;
        case JsonForm::SizeBytes:
            json.UInt(AutoStopSizeBytes(settings));
            break;
        case JsonForm::IsPassiveFtp:
            json.Bool(settings.*option.number == kFtpModePassive);
            break;
        case JsonForm::IsOff:
            json.Bool(settings.*option.number == 0);
            break;
        case JsonForm::KBytesPerSecond:
            json.UInt(static_cast<uint64_t>(settings.*option.number) * 1024);
            break;
        case JsonForm::None:
        case JsonForm::StableRule:
            break;
    }
}

// The options as the run applies them, in the order of their JSON numbers: a rule that
// cannot fire (its switch is off) is left out; the retry limit is always there, as 0 then.
void PutOptions(JsonBuilder& json, const AppSettings& settings) {
    std::vector<const OptionSpec*> shown;
    for (const OptionSpec& option : Options()) {
        if (option.json != JsonForm::None) shown.push_back(&option);
    }
    std::stable_sort(shown.begin(), shown.end(), [](const OptionSpec* a, const OptionSpec* b) {
        return a->jsonOrder < b->jsonOrder;
    });
    json.Key("options");
    json.BeginObject();
    std::string group;  // the nested object now open, "" for none
    for (const OptionSpec* option : shown) {
        const char* dot = std::strchr(option->jsonName, '.');
        const std::string itsGroup = dot != nullptr ? std::string(option->jsonName, dot) : "";
        if (itsGroup != group) {
            if (!group.empty()) json.EndObject();
            if (!itsGroup.empty()) {
                json.Key(itsGroup.c_str());
                json.BeginObject();
            }
            group = itsGroup;
        }
        if (option->json != JsonForm::RetryLimit && !OptionSwitchedOn(settings, *option)) continue;
        // A speed threshold of 0 (or below) means none: the member is left out.
        if (option->json == JsonForm::KBytesPerSecond && settings.*option->number <= 0) continue;
        PutOption(json, settings, *option, dot != nullptr ? dot + 1 : option->jsonName);
    }
    if (!group.empty()) json.EndObject();
    json.EndObject();
}

// withSamples false leaves the samples list empty (a run too large for its history line).
void PutMeasurements(JsonBuilder& json, const ItemMeasurements* m, bool withSamples) {
    json.Key("phases_ms");
    json.BeginObject();
    for (int phase = 0; m != nullptr && phase < kAttemptPhaseCount; ++phase) {
        if (!m->hasPhase[phase]) continue;
        json.Key(kPhaseKeys[phase]);
        json.UInt(m->phaseMs[phase]);
    }
    json.EndObject();
    json.Key("phases_us");
    json.BeginObject();
    for (int phase = 0; m != nullptr && phase < kAttemptPhaseCount; ++phase) {
        if (!m->hasPhase[phase]) continue;
        json.Key(kPhaseKeys[phase]);
        json.UInt(m->phaseUs[phase]);
    }
    json.EndObject();
    double steady = 0;
    if (m != nullptr && SteadySpeed(m->samples, &steady)) {
        json.Key("steady_bytes_per_s");
        json.Number(steady, kSpeedDecimals);
    }
    json.Key("samples");
    json.BeginArray();
    if (m != nullptr && withSamples) {
        for (const SpeedSample& s : m->samples) {
            json.BeginObject();
            json.Key("ms");
            json.UInt(s.ms);
            json.Key("data_ms");
            json.UInt(s.dataMs);
            json.Key("us");
            json.UInt(s.us);
            json.Key("data_us");
            json.UInt(s.dataUs);
            json.Key("bytes");
            json.UInt(s.bytes);
            json.Key("average_bytes_per_s");
            json.Number(s.averageBytesPerSecond, kSpeedDecimals);
            json.EndObject();
        }
    }
    json.EndArray();
}

// Which server answered, when the attempt learnt anything of it.
void PutServer(JsonBuilder& json, const PathIdentity& server, TextEncoding& encoding) {
    if (!server.Known()) return;
    const auto put = [&](const char* key, const std::string& text) {
        if (text.empty()) return;
        json.Key(key);
        json.String(encoding.SystemToUtf8(text));
    };
    json.Key("server");
    json.BeginObject();
    put("address", server.address);
    put("family", FamilyWord(server.family));
    put("http_version", server.httpVersion);
    put("tls_protocol", server.tlsProtocol);
    put("tls_cipher", server.tlsCipher);
    json.Key("headers");
    json.BeginObject();
    for (const auto& header : server.headers) {
        json.Key(header.first.c_str());
        json.String(encoding.SystemToUtf8(header.second));
    }
    json.EndObject();
    json.EndObject();
}

// The latency probes' times, when the item was probed.
void PutLatency(JsonBuilder& json, const LatencyResult& latency) {
    if (!latency.measured) return;
    const LatencySummary idle = SummarizeLatency(latency.idleMs);
    const LatencySummary loaded = SummarizeLatency(latency.loadedMs);
    const auto put = [&](const char* key, const LatencySummary& s) {
        json.Key(key);
        json.BeginObject();
        if (s.n > 0) {
            json.Key("median");
            json.Number(s.median, kLatencyDecimals);
            json.Key("p90");
            json.Number(s.p90, kLatencyDecimals);
        }
        json.Key("n");
        json.UInt(s.n);
        json.EndObject();
    };
    json.Key("latency");
    json.BeginObject();
    put("idle_ms", idle);
    put("loaded_ms", loaded);
    if (idle.n > 0 && loaded.n > 0) {
        json.Key("added_ms");
        json.Number(loaded.median - idle.median, kLatencyDecimals);
    }
    if (loaded.n > 0) {
        json.Key("rpm");
        json.UInt(RoundTripsPerMinute(latency.loadedMs));
    }
    json.Key("failed");
    json.UInt(latency.failed);
    json.Key("probe_bytes");
    json.UInt(latency.probeBytes);
    json.EndObject();
}

// The connections asked for and used; used is 0 for an item the run did not reach. With a
// comparison of one connection against several, which limit the download met.
void PutConnections(JsonBuilder& json, const DownloadItem& item, const ItemMeasurements* m,
                    const AppSettings& settings) {
    const bool attempted = m != nullptr && m->attempts > 0;
    json.Key("connections");
    json.BeginObject();
    json.Key("requested");
    json.Int(RequestedConnections(item, settings));
    json.Key("used");
    json.Int(attempted ? m->connections.used : 0);
    json.Key("ranges_supported");
    json.Bool(attempted && m->connections.rangesSupported);
    json.EndObject();
    if (!attempted || !m->hasVerdict) return;
    json.Key("connection_verdict");
    json.BeginObject();
    json.Key("single_bytes_per_s");
    json.Number(m->verdict.singleBytesPerSecond, kSpeedDecimals);
    json.Key("multi_bytes_per_s");
    json.Number(m->verdict.multiBytesPerSecond, kSpeedDecimals);
    json.Key("ratio");
    json.Number(m->verdict.ratio, kRatioDecimals);
    json.Key("limit");
    json.String(LimitWord(m->verdict));
    json.EndObject();
}

// The item's measurements in a row, their spread and how far its speed can be trusted.
void PutRepeats(JsonBuilder& json, const DownloadItem& item, const ItemMeasurements* m) {
    SpeedStats spread;
    Confidence confidence = Confidence::Low;
    if (ItemConfidence(item, m, &spread, &confidence)) {
        json.Key("confidence");
        json.String(ConfidenceWord(confidence));
    }
    if (m == nullptr) return;
    // An item measured once is its own record of that measurement.
    const std::vector<RepeatResult> once = m->repeats.empty() && m->measuredOnce
                                               ? std::vector<RepeatResult>{RepeatOf(item, m)}
                                               : std::vector<RepeatResult>();
    const std::vector<RepeatResult>& repeats = once.empty() ? m->repeats : once;
    if (repeats.empty()) return;
    json.Key("repeats");
    json.BeginArray();
    for (const RepeatResult& r : repeats) {
        json.BeginObject();
        json.Key("status");
        json.String(StatusWord(r.status));
        json.Key("bytes");
        json.UInt(r.bytes);
        json.Key("duration_us");
        json.UInt(r.durationUs);
        json.Key("average_bytes_per_s");
        json.Number(r.averageBytesPerSecond, kSpeedDecimals);
        if (r.hasSteady) {
            json.Key("steady_bytes_per_s");
            json.Number(r.steadyBytesPerSecond, kSpeedDecimals);
        }
        if (r.status != DownloadStatus::Finished && r.errorCode != 0) {
            json.Key("error_code");
            json.UInt(r.errorCode);
        }
        json.EndObject();
    }
    json.EndArray();
    const SpeedStats stats = RepeatSpeedStats(repeats);
    json.Key("speed_stats");
    json.BeginObject();
    const std::pair<const char*, double> members[] = {
        {"median", stats.median}, {"p10", stats.p10}, {"p90", stats.p90},
        {"min", stats.min},       {"max", stats.max},
    };
    json.Key("n");
    json.UInt(stats.n);
    for (const auto& [key, value] : members) {
        json.Key(key);
        json.Number(value, kSpeedDecimals);
    }
    json.Key("cv");
    json.Number(stats.cv, 6);
    json.EndObject();
}

void PutItem(JsonBuilder& json, const DownloadItem& item, const ItemMeasurements* m,
             const JsonReportSource& source, const CellContext& context, bool withSamples) {
    TextEncoding& encoding = *source.encoding;
    CellBuffer buffer;
    json.BeginObject();
    json.Key("url");
    json.String(encoding.SystemToUtf8(item.url));
    json.Key("name");
    json.String(encoding.SystemToUtf8(item.name));
    json.Key("order");
    json.Int(int64_t{item.order} + 1);
    json.Key("enabled");
    json.Bool(item.disabled == 0);
    json.Key("status");
    json.String(StatusWord(item));
    json.Key("status_text");
    json.String(encoding.SystemToUtf8(ItemCellText(item, kColumnStatus, buffer, context)));
    if (item.errorCode != 0) {
        json.Key("error_code");
        json.UInt(item.errorCode);
    }
    // A failed attempt keeps its status on the item; an accepted one only here.
    const int32_t httpStatus =
        item.serverStatus != 0 ? item.serverStatus : (m != nullptr ? m->httpStatus : 0);
    if (httpStatus != 0) {
        json.Key("http_status");
        json.Int(httpStatus);
    }
    json.Key("attempts");
    json.UInt(m != nullptr ? m->attempts : 0);
    json.Key("bytes");
    json.UInt(item.bytes);
    // Whether the whole body is known to have come: only a finished item can say.
    if (m != nullptr && item.disabled == 0 && item.status == DownloadStatus::Finished) {
        json.Key("complete");
        json.Bool(m->complete);
    }
    if (item.HasStarted()) PutTime(json, "start_time", item.startTime);
    json.Key("duration_ms");
    json.UInt(item.duration);
    json.Key("duration_us");
    json.UInt(item.durationUs);
    json.Key("average_bytes_per_s");
    json.Number(item.speedKBps * 1024, kSpeedDecimals);
    const int32_t minSpeed = EffectiveMinSpeed(item, *source.settings);
    if (minSpeed > 0) {
        json.Key("min_speed_bytes_per_s");
        json.UInt(static_cast<uint64_t>(minSpeed) * 1024);
    }
    json.Key("below_min_speed");
    json.Bool(item.belowMinSpeed);
    PutConnections(json, item, m, *source.settings);
    PutRepeats(json, item, m);
    PutMeasurements(json, m, withSamples);
    if (m != nullptr) PutServer(json, m->server, encoding);
    if (m != nullptr) PutLatency(json, m->latency);
    json.EndObject();
}

// "warnings": a list of {"code", "message"} objects, left out when there is none.
void PutWarnings(JsonBuilder& json, DownloadListView& list, const JsonReportSource& source) {
    std::vector<RunWarning> warnings = source.warnings;
    if (NoItemToTest(list.Items())) {
        warnings.push_back({kNothingTestedWarning,
                            "No item was tested: the list is empty or every item is disabled."});
    }
    if (warnings.empty()) return;
    json.Key("warnings");
    json.BeginArray();
    for (const RunWarning& warning : warnings) {
        json.BeginObject();
        json.Key("code");
        json.String(warning.code);
        json.Key("message");
        json.String(source.encoding->SystemToUtf8(warning.message));
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

const char* StatusWord(const DownloadItem& item) {
    if (item.disabled != 0) return "disabled";
    return StatusWord(item.status);
}

const char* StatusWord(DownloadStatus status) {
    switch (status) {
        case DownloadStatus::Waiting:
            return "waiting";
        case DownloadStatus::Connecting:
            return "connecting";
        case DownloadStatus::Downloading:
            return "downloading";
        case DownloadStatus::Finished:
            return "finished";
        case DownloadStatus::Failed:
            return "failed";
        case DownloadStatus::ConnectTimeout:
            return "connect_timeout";
    }
    return "waiting";
}

namespace {

void PutAlerts(JsonBuilder& json, const std::vector<Alert>* alerts, bool lineBreaks) {
    if (alerts == nullptr) return;
    json.Key("alerts");
    json.BeginArray();
    for (const Alert& alert : *alerts) {
        if (lineBreaks) json.LineBreak();
        json.BeginObject();
        json.Key("url");
        json.String(alert.url);  // the alerts come from the document: UTF-8 already
        json.Key("name");
        json.String(alert.name);
        json.Key("rule");
        json.String(AlertRuleWord(alert.rule));
        json.Key("state");
        json.String(AlertStateWord(alert.state));
        json.Key("value");
        json.Number(alert.value, kSpeedDecimals);
        json.Key("baseline");
        json.Number(alert.baseline, kSpeedDecimals);
        json.EndObject();
    }
    if (lineBreaks && !alerts->empty()) json.LineBreak();
    json.EndArray();
}

// The document, handed to the sink piece by piece (one item at a time, so a long list is
// never held whole); without line breaks it is a single line. The sink returns false to
// end it early.
template <typename Sink>
void BuildDocument(DownloadListView& list, const JsonReportSource& source, bool lineBreaks,
                   bool withSamples, Sink&& sink) {
    const AppSettings& settings = *source.settings;
    const RunMeasurements* measurements = source.measurements;

    JsonBuilder json;
    json.BeginObject();
    json.Key("format_version");
    json.Int(kJsonFormatVersion);
    json.Key("program");
    json.String(kProductName);
    json.Key("version");
    json.String(source.encoding->SystemToUtf8(source.programVersion));
    if (measurements != nullptr) {
        PutTime(json, "run_start", measurements->RunStart());
        PutTime(json, "run_end", measurements->RunEnd());
    }
    PutOptions(json, settings);
    PutWarnings(json, list, source);
    json.Key("items");
    json.BeginArray();
    const CellContext context = list.CellTextContext();
    for (size_t row = 0; row < list.RowCount(); ++row) {
        size_t index = 0;
        if (!list.ItemOfRow(row, &index)) continue;
        const DownloadItem& item = list.ItemAt(index);
        if (!list.ItemInReport(item)) continue;
        if (lineBreaks) json.LineBreak();
        PutItem(json, item, measurements != nullptr ? measurements->ForItem(index) : nullptr,
                source, context, withSamples);
        // A sink that can take no more ends the document early (a failed write, a bound).
        if (!sink(json.Take())) return;
    }
    if (lineBreaks) json.LineBreak();
    json.EndArray();
    PutAlerts(json, source.alerts, lineBreaks);
    json.EndObject();
    if (lineBreaks) json.LineBreak();
    (void)sink(json.Take());  // the last piece: nothing follows it either way
}

}  // namespace

bool WriteJsonReport(DownloadListView& list, const JsonReportSource& source, FileSystem& files,
                     const std::string& fileName, uint32_t* error) {
    auto writeAll = [&](OutputFile& file) -> bool {
        bool written = true;
        BuildDocument(list, source, true, true, [&](const std::string& piece) {
            written = file.Write(piece);
            return written;
        });
        return written;
    };
    // Like every report: whole or not at all, an older file kept until the new one is done.
    return WriteFileReplacing(files, fileName, writeAll, error);
}

std::string CompactJsonReport(DownloadListView& list, const JsonReportSource& source,
                              size_t maxBytes) {
    for (const bool withSamples : {true, false}) {
        std::string document;
        bool fits = true;
        BuildDocument(list, source, false, withSamples, [&](const std::string& piece) {
            fits = document.size() + piece.size() <= maxBytes;
            if (fits) document += piece;
            return fits;
        });
        if (fits) return document;
    }
    return std::string();
}

}  // namespace vm
