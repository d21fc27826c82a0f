#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/base/JsonReader.h"

namespace vm {

// Longest history line written and read; a longer one is skipped like a damaged one. The
// writer keeps every run below it: a run whose line would pass it is written with empty
// samples lists (about 300 bytes an item: some 200,000 items fit), and a run that still
// would is not added. Reading a line parses it whole, at about seven times its size in a
// 32-bit process.
constexpr size_t kMaxHistoryLineBytes = 64 * 1024 * 1024;
// Largest history file read; reading a larger one fails with kErrorFileTooLarge.
constexpr uint64_t kMaxHistoryFileBytes = uint64_t{1} << 30;

// One item of a run as the page shows it.
struct RunItemRecord {
    std::string url;
    std::string name;
    std::string status;      // the document's status word
    std::string statusText;  // as the list showed it
    uint64_t bytes = 0;
    uint64_t durationMs = 0;
    uint64_t order = 0;  // the place in the run, from 1; 0: not known
    double averageBytesPerSecond = 0;
    double steadyBytesPerSecond = 0;
    bool hasSteady = false;
    int32_t connectionsUsed = 0;  // 0: not known (not attempted, or an older document)
    bool hasVerdict = false;      // one connection compared with several
    double connectionRatio = 0;
    bool perConnectionLimit = false;
    bool belowMinSpeed = false;
    double minSpeedBytesPerSecond = 0;  // 0: none applied
    std::string confidence;             // "low", "medium", "high"; "" when the run gave none
    // The spread of the item's repeated measurements; repeats 0 when it had none.
    uint64_t repeats = 0;
    double medianBytesPerSecond = 0;
    double cv = 0;
    struct Sample {
        uint32_t ms;
        uint64_t bytes;
    };
    std::vector<Sample> samples;
    std::string serverAddress;  // "" when the run did not learn it
    std::string cacheStatus;    // "HIT", "MISS"...; "" when no header said
    // The latency probes' medians (LatencyProbe=1); a count of 0: none of that kind.
    size_t idleProbes = 0;
    double idleMedianMs = 0;
    size_t loadedProbes = 0;
    double loadedMedianMs = 0;
    uint64_t rpm = 0;
};

// A run read back from its document.
struct RunRecord {
    std::string runStart;  // as written (ISO 8601, UTC); "" when the run had no clock
    int64_t startUnixMs = 0;
    bool hasStart = false;
    std::vector<RunItemRecord> items;
};

// One run's result for one URL on the trend chart.
struct TrendPoint {
    int64_t timeUnixMs = 0;
    double averageBytesPerSecond = 0;
    double steadyBytesPerSecond = 0;
    bool hasSteady = false;
    bool failed = false;
    // The server's address or the cache's status differs from the last run before it
    // that knew them.
    bool pathChanged = false;
    bool belowMinSpeed = false;
    double minSpeedBytesPerSecond = 0;
};

// Every run's result for one URL, oldest first.
struct UrlTrend {
    std::string url;
    std::string name;  // the name of its latest run
    int64_t lastSeenUnixMs = 0;
    std::string lastAddress;  // of the latest run that knew it
    std::string lastCache;
    std::vector<TrendPoint> points;
};

// The failed statuses count on a trend (marked as failures), the finished one as a
// speed; any other (a run stopped before the item, a disabled item) is not a result.
bool IsFailedStatusWord(const std::string& status);

// A run's document to its record; false when the text is not a run document, or when a
// number in it is out of any sane range (negative, not finite, above 10^15).
[[nodiscard]] bool ReadRunRecord(const JsonValue& document, RunRecord* run);

// "2026-12-07T11:32:32.123Z" to milliseconds since 1970; false for any other text.
[[nodiscard]] bool ParseIsoUtcMs(const std::string& text, int64_t* unixMs);

// Reads a history file fed in pieces of any size: keeps the last run whole and, for every
// URL, one trend point per run. Memory grows with the runs' trend points only; each line
// is parsed once, so the whole read is linear in the file's length. A line that is not a
// run document is skipped and counted: a torn last line (a crash during a write) apart
// from damage in the middle.
class HistoryReader {
public:
    void Feed(const char* data, size_t size);
    // Takes a last line that has no line feed.
    void Finish();

    size_t RunCount() const { return runCount_; }
    bool HasLatest() const { return runCount_ > 0; }
    const RunRecord& Latest() const { return latest_; }
    const std::vector<UrlTrend>& Trends() const { return trends_; }
    size_t DamagedLines() const { return damagedLines_; }
    bool TornLastLine() const { return tornLastLine_; }

private:
    void TakeLine(const char* data, size_t size, bool complete);
    void AddRun(RunRecord&& run);

    std::string pending_;
    bool overlong_ = false;  // the pending line passed the limit and is being skipped
    size_t runCount_ = 0;
    size_t damagedLines_ = 0;
    bool tornLastLine_ = false;
    RunRecord latest_;
    std::vector<UrlTrend> trends_;
    std::unordered_map<std::string, size_t> trendOfUrl_;
};

}  // namespace vm
