#include "core/chart/SpeedTrace.h"

#include <algorithm>

namespace vm {
namespace {

// The rate since the latest remembered step a whole second back (or the oldest one), then
// remembers this step.
double SecondRate(SpeedTrace& trace, uint32_t ms, uint64_t bytes) {
    size_t from = 0;
    for (size_t i = 0; i < trace.recentCount; ++i) {
        if (ms - trace.recentMs[i] >= kPeakWindowMs) from = i;
    }
    // In the first second the window reaches back before the start, where nothing came.
    const uint32_t span = std::max(ms - trace.recentMs[from], kPeakWindowMs);
    const uint64_t base = trace.recentBytes[from];
    const double rate = bytes > base ? static_cast<double>(bytes - base) * 1000.0 / span : 0.0;
    // Steps older than the one the rate started from are no longer needed.
    size_t keep = trace.recentCount - from;
    if (keep >= kSecondWindowSteps) {
        keep = kSecondWindowSteps - 1;
        from = trace.recentCount - keep;
    }
    for (size_t i = 0; i < keep; ++i) {
        trace.recentMs[i] = trace.recentMs[from + i];
        trace.recentBytes[i] = trace.recentBytes[from + i];
    }
    trace.recentMs[keep] = ms;
    trace.recentBytes[keep] = bytes;
    trace.recentCount = keep + 1;
    return rate;
}

}  // namespace

void RunSpeedTraces::Record(size_t index, FileTime startTime, uint32_t ms, uint64_t bytes,
                            uint64_t sizeLimitBytes) {
    if (startTime == 0) return;  // not started: nothing to draw
    SpeedTrace& trace = MutableItem(index);
    if (trace.startTime != startTime) {
        trace = SpeedTrace();
        trace.startTime = startTime;
        // The curve starts at the origin: nothing has arrived when the download begins.
        trace.interval.push_back({0, 0});
        trace.average.push_back({0, 0});
        trace.second.push_back({0, 0});
        trace.recentCount = 1;  // the origin: nothing at 0 ms
    }
    const double seconds = ms / 1000.0;
    if (sizeLimitBytes != 0 && !trace.sizeLimitReached && bytes >= sizeLimitBytes) {
        trace.sizeLimitReached = true;
        trace.sizeLimitSeconds = seconds;
    }
    // A step too soon after the one before: the next step's rate counts its bytes.
    if (ms < trace.lastMs + kMinTraceStepMs) return;
    // The count never goes down within an attempt; a smaller count (a hand-made trace)
    // gives no negative rate.
    const uint64_t added = bytes > trace.lastBytes ? bytes - trace.lastBytes : 0;
    const double rate = static_cast<double>(added) * 1000.0 / (ms - trace.lastMs);
    const double average = static_cast<double>(bytes) * 1000.0 / ms;
    trace.interval.push_back({seconds, rate});
    trace.average.push_back({seconds, average});
    trace.second.push_back({seconds, SecondRate(trace, ms, bytes)});
    if (ms - trace.peakWindowMs >= kPeakWindowMs) {
        const uint64_t windowBytes =
            bytes > trace.peakWindowBytes ? bytes - trace.peakWindowBytes : 0;
        const double windowRate =
            static_cast<double>(windowBytes) * 1000.0 / (ms - trace.peakWindowMs);
        if (windowRate > trace.peakBytesPerSecond) trace.peakBytesPerSecond = windowRate;
        trace.peakWindowMs = ms;
        trace.peakWindowBytes = bytes;
    }
    CompactSeries(trace.interval, kMaxTracePoints);
    CompactSeries(trace.average, kMaxTracePoints);
    CompactSeries(trace.second, kMaxTracePoints);
    trace.lastMs = ms;
    trace.lastBytes = bytes;
}

}  // namespace vm
