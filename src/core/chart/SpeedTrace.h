#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/chart/Downsample.h"
#include "core/platform/Clock.h"

namespace vm {

// The span over which the peak speed is measured.
constexpr uint32_t kPeakWindowMs = 1000;

// Steps closer together than this are taken together: a rate over a few milliseconds (the
// step of the download's first event, right after the server's opening burst) says
// nothing and would dwarf the curve.
constexpr uint32_t kMinTraceStepMs = 100;

// Steps the one-second line looks back over: steps are at least kMinTraceStepMs apart, so
// a second holds fewer than this.
constexpr size_t kSecondWindowSteps = 16;

// Points a trace keeps of each curve before it compacts them; an hour at five samples a
// second stays within it at a quarter of a point per second or better.
constexpr size_t kMaxTracePoints = 4096;

// How one download's speed moved, sampled at every timer step: x in seconds from the
// download's start, y in bytes per second.
struct SpeedTrace {
    FileTime startTime = 0;            // of the attempt the points belong to
    std::vector<ChartPoint> interval;  // the rate since the step before
    std::vector<ChartPoint> average;   // the running average
    // The rate over the last second: what a person reads as the speed, without the 200 ms
    // bursts of a throttled server.
    std::vector<ChartPoint> second;
    // The steps of the last second (ms, bytes), oldest first, for the one-second line.
    uint32_t recentMs[kSecondWindowSteps] = {};
    uint64_t recentBytes[kSecondWindowSteps] = {};
    size_t recentCount = 0;
    uint32_t lastMs = 0;
    uint64_t lastBytes = 0;
    // The highest rate over a whole second: a 200 ms step can catch a burst of a throttled
    // server that the user never saw as a speed.
    double peakBytesPerSecond = 0;
    uint32_t peakWindowMs = 0;
    uint64_t peakWindowBytes = 0;
    bool sizeLimitReached = false;
    double sizeLimitSeconds = 0;  // when the bytes first reached the size limit

    bool Empty() const { return interval.empty(); }
};

// The traces of the items of a run that began to download, by storage index of the items.
// Only those have one: a list of 100,000 refused items with a download here and there
// keeps a handful, not a slot of every item up to the last download.
class RunSpeedTraces {
public:
    // A new run: every trace goes.
    void Clear() { traces_.clear(); }
    // A step of the download at index: ms since its start and the bytes counted by then.
    // A new start time (a retry) starts the trace afresh; a step that is not later than
    // the one before only updates the bytes. sizeLimitBytes 0: no size limit.
    void Record(size_t index, FileTime startTime, uint32_t ms, uint64_t bytes,
                uint64_t sizeLimitBytes);
    // The item's trace; nullptr for an item without one.
    const SpeedTrace* ForItem(size_t index) const {
        const auto it = traces_.find(index);
        return it != traces_.end() ? &it->second : nullptr;
    }
    // Benchmarks and tests fill a trace directly.
    SpeedTrace& MutableItem(size_t index) { return traces_[index]; }

private:
    std::unordered_map<size_t, SpeedTrace> traces_;
};

}  // namespace vm
