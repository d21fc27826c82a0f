#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/engine/ConnectionVerdict.h"
#include "core/engine/DownloadItem.h"
#include "core/engine/LatencyProbeJob.h"
#include "core/engine/PathIdentity.h"
#include "core/engine/PhaseStamps.h"
#include "core/engine/SteadySpeed.h"
#include "core/platform/Clock.h"

namespace vm {

// The steps of an attempt with a time, from the attempt's start: the library's three
// and the accepted response (the first byte).
enum AttemptPhase : int {
    kAttemptNameResolved = kPhaseNameResolved,
    kAttemptConnected = kPhaseConnected,
    kAttemptRequestSent = kPhaseRequestSent,
    kAttemptFirstByte = kLibraryPhaseCount,
    kAttemptPhaseCount,
};

// A day of once-a-second samples; a longer download keeps its first day's.
constexpr size_t kMaxSpeedSamples = 86400;

// One of the measurements of an item measured several times in a row (Repeat): how its
// last attempt ended, with what the list shows of it.
struct RepeatResult {
    DownloadStatus status = DownloadStatus::Waiting;
    uint64_t bytes = 0;
    uint32_t durationMs = 0;
    uint64_t durationUs = 0;
    double averageBytesPerSecond = 0;
    double speedKBps = 0;  // the list's two speeds, as the attempt left them
    double speedKbitps = 0;
    bool hasSteady = false;
    double steadyBytesPerSecond = 0;
    FileTime startTime = 0;
    uint32_t errorCode = 0;
    int32_t serverStatus = 0;
    SharedText errorText;
    uint32_t retries = 0;
};

// What a run measures of one item beyond its list record. The item record keeps the
// results the list shows; this keeps what only a machine-readable report wants.
struct ItemMeasurements {
    uint32_t attempts = 0;
    // Of the latest attempt:
    int32_t httpStatus = 0;  // 0: none reported
    // The whole body is known to have come: an announced length was reached (or a local
    // file read to its end). The library ends a cut chunked body as if it were whole, so
    // a body of unknown length never counts as complete.
    bool complete = false;
    uint32_t attemptTick = 0;
    uint64_t attemptMicro = 0;  // 0: the attempt was not stamped on the microsecond clock
    bool hasPhase[kAttemptPhaseCount] = {};
    uint32_t phaseMs[kAttemptPhaseCount] = {};
    uint64_t phaseUs[kAttemptPhaseCount] = {};
    std::vector<SpeedSample> samples;
    PathIdentity server;  // which server answered the latest attempt, and how
    LatencyResult latency;
    // How the attempt used its connections; with a comparison, the verdict of the item's
    // single- and multi-connection attempts, kept with the last of them.
    ConnectionUse connections;
    bool hasVerdict = false;
    ConnectionVerdict verdict;
    // Of every attempt: the item's measurements so far, one per repeat, once it is measured
    // more than once. An item measured once is its own record (measuredOnce; RepeatOf gives
    // the measurement): a list of 100,000 refused items keeps no second copy of each.
    std::vector<RepeatResult> repeats;
    bool measuredOnce = false;
};

// The side record of a test run, by storage index of the items. The test run fills it;
// reports read it after the run.
class RunMeasurements {
public:
    void StartRun(FileTime now, size_t itemCount);
    void EndRun(FileTime now) { ended_ = now; }
    // A new attempt at the item begins: the previous attempt's details are dropped.
    void StartAttempt(size_t index, uint32_t tick, uint64_t micro = 0);
    // The attempt's transfer is about to go: keeps what it measured. acceptedTick counts
    // only when the response was accepted.
    void EndAttempt(size_t index, int32_t httpStatus, const PhaseStamps& phases, bool accepted,
                    uint32_t acceptedTick, uint64_t acceptedMicro = 0);
    void AddSample(size_t index, const SpeedSample& sample);
    void SetComplete(size_t index, bool complete) { At(index).complete = complete; }
    void SetServer(size_t index, PathIdentity server) { At(index).server = std::move(server); }
    void SetLatency(size_t index, LatencyResult latency) { At(index).latency = std::move(latency); }
    void SetConnections(size_t index, const ConnectionUse& use) { At(index).connections = use; }
    void SetVerdict(size_t index, const ConnectionVerdict& verdict) {
        At(index).verdict = verdict;
        At(index).hasVerdict = true;
    }
    void AddRepeat(size_t index, RepeatResult repeat) {
        At(index).repeats.push_back(std::move(repeat));
    }
    // The item's only measurement has ended: the item itself holds it.
    void SetMeasuredOnce(size_t index) { At(index).measuredOnce = true; }

    FileTime RunStart() const { return started_; }
    FileTime RunEnd() const { return ended_; }
    // The item's record; nullptr for an item the run never saw.
    const ItemMeasurements* ForItem(size_t index) const {
        return index < items_.size() ? &items_[index] : nullptr;
    }

private:
    ItemMeasurements& At(size_t index);

    FileTime started_ = 0;
    FileTime ended_ = 0;
    std::vector<ItemMeasurements> items_;
};

}  // namespace vm
