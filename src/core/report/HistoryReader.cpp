#include "core/report/HistoryReader.h"

#include <cmath>
#include <cstring>

#include "core/base/FileTimeCalendar.h"
#include "core/engine/PathIdentity.h"
#include "core/engine/RangePlan.h"

namespace vm {
namespace {

// Milliseconds from 1601 (file times) to 1970.
constexpr int64_t kUnixEpochFileTimeMs = 11644473600000LL;

bool Digits(const std::string& text, size_t at, size_t count, uint16_t* value) {
    uint32_t v = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    *value = static_cast<uint16_t>(v);
    return true;
}

uint64_t NonNegative(double value) {
    return value > 0 && value < 1.8e19 ? static_cast<uint64_t>(value) : 0;
}

// The server's address and the cache's verdict from an item's "server" object.
void ReadServer(const JsonValue& item, RunItemRecord* record) {
    const JsonValue* server = item.Find("server");
    if (server == nullptr || server->kind != JsonValue::Kind::Object) return;
    record->serverAddress = server->TextOr("address", "");
    const JsonValue* headers = server->Find("headers");
    if (headers == nullptr || headers->kind != JsonValue::Kind::Object) return;
    PathIdentity identity;
    for (const char* name : CapturedHeaderNames()) {
        const JsonValue* value = headers->Find(name);
        if (value != nullptr && value->kind == JsonValue::Kind::String)
            identity.headers.emplace_back(name, value->text);
    }
    record->cacheStatus = CacheStatus(identity);
}

void ReadLatency(const JsonValue& item, RunItemRecord* record) {
    const JsonValue* latency = item.Find("latency");
    if (latency == nullptr || latency->kind != JsonValue::Kind::Object) return;
    const auto read = [&](const char* key, size_t* n, double* median) {
        const JsonValue* summary = latency->Find(key);
        if (summary == nullptr || summary->kind != JsonValue::Kind::Object) return;
        *n = static_cast<size_t>(NonNegative(summary->NumberOr("n", 0)));
        *median = summary->NumberOr("median", 0);
    };
    read("idle_ms", &record->idleProbes, &record->idleMedianMs);
    read("loaded_ms", &record->loadedProbes, &record->loadedMedianMs);
    record->rpm = NonNegative(latency->NumberOr("rpm", 0));
}

// A known value that differs from the last known one; remembers it.
bool ChangedFrom(std::string* last, const std::string& now) {
    if (now.empty()) return false;
    const bool changed = !last->empty() && *last != now;
    *last = now;
    return changed;
}

// No byte count, time or speed a run can measure comes near this: a larger, negative or
// not finite number means the line was damaged, and drawing it would give absurd axes.
constexpr double kMaxSaneNumber = 1e15;

bool Sane(double value) { return std::isfinite(value) && value >= 0 && value <= kMaxSaneNumber; }

// Every number of an item (and of its samples) that the page draws is sane, where present.
bool ItemNumbersSane(const JsonValue& item) {
    for (const char* key :
         {"bytes", "duration_ms", "average_bytes_per_s", "steady_bytes_per_s", "order"}) {
        const JsonValue* value = item.Find(key);
        if (value != nullptr && value->kind == JsonValue::Kind::Number && !Sane(value->number)) {
            return false;
        }
    }
    const JsonValue* samples = item.Find("samples");
    if (samples == nullptr || samples->kind != JsonValue::Kind::Array) return true;
    for (const JsonValue& sample : samples->elements) {
        for (const char* key : {"ms", "bytes"}) {
            const JsonValue* value = sample.Find(key);
            if (value != nullptr && value->kind == JsonValue::Kind::Number &&
                !Sane(value->number)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool IsFailedStatusWord(const std::string& status) {
    return status == "failed" || status == "connect_timeout";
}

bool ParseIsoUtcMs(const std::string& text, int64_t* unixMs) {
    // Exactly the writer's form: fixed positions, milliseconds optional.
    CalendarTime time;
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text.back() != 'Z') {
        return false;
    }
    if (!Digits(text, 0, 4, &time.year) || !Digits(text, 5, 2, &time.month) ||
        !Digits(text, 8, 2, &time.day) || !Digits(text, 11, 2, &time.hour) ||
        !Digits(text, 14, 2, &time.minute) || !Digits(text, 17, 2, &time.second)) {
        return false;
    }
    if (text.size() == 24) {
        if (text[19] != '.' || !Digits(text, 20, 3, &time.milliseconds)) return false;
    } else if (text.size() != 20) {
        return false;
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 59) return false;
    FileTime fileTime = 0;
    if (!CalendarToFileTime(time, &fileTime)) return false;
    *unixMs = static_cast<int64_t>(fileTime / kFileTimeTicksPerMs) - kUnixEpochFileTimeMs;
    return true;
}

namespace {

void ReadConnections(const JsonValue& item, RunItemRecord* record) {
    if (const JsonValue* connections = item.Find("connections")) {
        const double used = connections->NumberOr("used", 0);
        if (used >= 1 && used <= kMaxConnections)
            record->connectionsUsed = static_cast<int32_t>(used);
    }
    const JsonValue* verdict = item.Find("connection_verdict");
    if (verdict == nullptr || verdict->kind != JsonValue::Kind::Object) return;
    const double ratio = verdict->NumberOr("ratio", -1);
    const std::string limit = verdict->TextOr("limit", "");
    if (!(ratio >= 0) || (limit != "per_connection" && limit != "path")) return;
    record->hasVerdict = true;
    record->connectionRatio = ratio;
    record->perConnectionLimit = limit == "per_connection";
}

}  // namespace

bool ReadRunRecord(const JsonValue& document, RunRecord* run) {
    const JsonValue* items = document.Find("items");
    if (document.kind != JsonValue::Kind::Object || items == nullptr ||
        items->kind != JsonValue::Kind::Array) {
        return false;
    }
    *run = RunRecord();
    run->runStart = document.TextOr("run_start", "");
    run->hasStart = ParseIsoUtcMs(run->runStart, &run->startUnixMs);
    run->items.reserve(items->elements.size());
    for (const JsonValue& item : items->elements) {
        if (item.kind != JsonValue::Kind::Object) continue;
        if (!ItemNumbersSane(item)) return false;
        RunItemRecord record;
        record.url = item.TextOr("url", "");
        record.name = item.TextOr("name", "");
        record.status = item.TextOr("status", "");
        record.statusText = item.TextOr("status_text", "");
        record.bytes = NonNegative(item.NumberOr("bytes", 0));
        record.durationMs = NonNegative(item.NumberOr("duration_ms", 0));
        record.order = NonNegative(item.NumberOr("order", 0));
        record.averageBytesPerSecond = item.NumberOr("average_bytes_per_s", 0);
        const JsonValue* steady = item.Find("steady_bytes_per_s");
        record.hasSteady = steady != nullptr && steady->kind == JsonValue::Kind::Number;
        if (record.hasSteady) record.steadyBytesPerSecond = steady->number;
        ReadConnections(item, &record);
        const JsonValue* below = item.Find("below_min_speed");
        record.belowMinSpeed =
            below != nullptr && below->kind == JsonValue::Kind::Bool && below->boolean;
        record.minSpeedBytesPerSecond = item.NumberOr("min_speed_bytes_per_s", 0);
        record.confidence = item.TextOr("confidence", "");
        const JsonValue* stats = item.Find("speed_stats");
        if (stats != nullptr && stats->kind == JsonValue::Kind::Object) {
            record.repeats = NonNegative(stats->NumberOr("n", 0));
            record.medianBytesPerSecond = stats->NumberOr("median", 0);
            record.cv = stats->NumberOr("cv", 0);
        }
        const JsonValue* samples = item.Find("samples");
        if (samples != nullptr && samples->kind == JsonValue::Kind::Array) {
            record.samples.reserve(samples->elements.size());
            for (const JsonValue& s : samples->elements) {
                const double ms = s.NumberOr("ms", -1);
                if (ms < 0 || ms > 4294967295.0) continue;
                record.samples.push_back(
                    {static_cast<uint32_t>(ms), NonNegative(s.NumberOr("bytes", 0))});
            }
        }
        ReadServer(item, &record);
        ReadLatency(item, &record);
        run->items.push_back(std::move(record));
    }
    return true;
}

void HistoryReader::Feed(const char* data, size_t size) {
    const char* end = data + size;
    while (data < end) {
        const char* feed =
            static_cast<const char*>(std::memchr(data, '\n', static_cast<size_t>(end - data)));
        const char* stop = feed != nullptr ? feed : end;
        const size_t piece = static_cast<size_t>(stop - data);
        if (!overlong_) {
            if (pending_.size() + piece > kMaxHistoryLineBytes) {
                overlong_ = true;
                pending_.clear();
                pending_.shrink_to_fit();
            } else {
                pending_.append(data, piece);
            }
        }
        if (feed == nullptr) return;
        if (overlong_) {
            ++damagedLines_;
            overlong_ = false;
        } else {
            TakeLine(pending_.data(), pending_.size(), true);
            pending_.clear();
        }
        data = feed + 1;
    }
}

void HistoryReader::Finish() {
    if (overlong_) {
        ++damagedLines_;
        tornLastLine_ = true;
        overlong_ = false;
    } else if (!pending_.empty()) {
        TakeLine(pending_.data(), pending_.size(), false);
    }
    pending_.clear();
}

void HistoryReader::TakeLine(const char* data, size_t size, bool complete) {
    // A blank line (a torn line's own line feed after the next append) is no damage.
    size_t used = size;
    while (used > 0 && (data[used - 1] == '\r' || data[used - 1] == ' ' || data[used - 1] == '\t'))
        --used;
    if (used == 0) return;
    JsonValue document;
    RunRecord run;
    if (!ParseJson(data, used, &document) || !ReadRunRecord(document, &run)) {
        ++damagedLines_;
        if (!complete) tornLastLine_ = true;
        return;
    }
    AddRun(std::move(run));
}

void HistoryReader::AddRun(RunRecord&& run) {
    ++runCount_;
    if (run.hasStart) {
        for (const RunItemRecord& item : run.items) {
            const bool failed = IsFailedStatusWord(item.status);
            if (!failed && item.status != "finished") continue;
            auto found = trendOfUrl_.find(item.url);
            if (found == trendOfUrl_.end()) {
                found = trendOfUrl_.emplace(item.url, trends_.size()).first;
                trends_.emplace_back();
                trends_.back().url = item.url;
            }
            UrlTrend& trend = trends_[found->second];
            trend.name = item.name;
            trend.lastSeenUnixMs = run.startUnixMs;
            TrendPoint point;
            point.timeUnixMs = run.startUnixMs;
            point.failed = failed;
            point.averageBytesPerSecond = failed ? 0 : item.averageBytesPerSecond;
            point.hasSteady = !failed && item.hasSteady;
            point.steadyBytesPerSecond = point.hasSteady ? item.steadyBytesPerSecond : 0;
            const bool addressChanged = ChangedFrom(&trend.lastAddress, item.serverAddress);
            const bool cacheChanged = ChangedFrom(&trend.lastCache, item.cacheStatus);
            point.pathChanged = addressChanged || cacheChanged;
            point.belowMinSpeed = !failed && item.belowMinSpeed;
            point.minSpeedBytesPerSecond = item.minSpeedBytesPerSecond;
            trend.points.push_back(point);
        }
    }
    latest_ = std::move(run);
}

}  // namespace vm
