#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/LatencyStats.h"
#include "core/platform/InternetLibrary.h"
#include "core/platform/LatencyProber.h"

namespace vm {

constexpr uint32_t kIdleProbes = 5;
// The first request of an attempt also pays for setting up the session and looking up the
// name: it is made first and not counted as an idle time (its bytes and failure are).
constexpr uint32_t kWarmUpProbes = 1;
constexpr uint32_t kLoadedProbeIntervalMs = 200;
// A download's probes are waited for this long when it ends; a probe still out after that
// finishes on its own (the record outlives it).
constexpr uint32_t kProbeStopWaitMs = 3000;

// What one attempt's probes measured.
struct LatencyResult {
    bool measured = false;  // probes were asked for
    std::vector<double> idleMs;
    std::vector<double> loadedMs;
    // When each loaded probe was sent, in seconds since the download began (the graph's
    // time axis); one per loadedMs.
    std::vector<double> loadedAtSeconds;
    uint32_t failed = 0;
    uint64_t probeBytes = 0;
};

// Whether a loaded probe is due: the download is under way, the interval since the last
// probe has passed, and the budget takes one more probe of the expected size.
[[nodiscard]] bool LoadedProbeDue(bool downloading, uint32_t sinceLastMs, uint64_t downloadBytes,
                                  const ProbeBudget& budget, uint64_t expectedProbeBytes);

// The probes of one http(s) attempt on a worker thread: a warm-up and kIdleProbes before
// the download (as many as fit the budget of the length the server announces; all when it
// announces none)
// (the window opens the download once EV_PROBES_IDLE_DONE arrives), then one every
// kLoadedProbeIntervalMs while it runs, within the byte budget. The window tells the
// download's state and bytes through the atomics; the record lives until both sides are
// done with it.
struct LatencyProbeJob {
    LatencyProbeJob(LatencyProber& prober, InternetLibrary& poster)
        : prober(prober), poster(poster) {}

    LatencyProber& prober;
    InternetLibrary& poster;
    std::string url;
    uintptr_t window = 0;
    uint32_t message = 0;
    uint32_t serial = 0;

    std::atomic<bool> downloading{false};
    std::atomic<uint64_t> downloadBytes{0};
    std::atomic<bool> stopped{false};
    std::atomic<bool> ended{false};

    void Run();
    LatencyResult Result() const;

private:
    void Record(const ProbeOutcome& outcome, bool loaded, double atSeconds = 0);

    mutable std::mutex mutex_;
    LatencyResult result_;
    ProbeBudget budget_;
};

// The thread body: argument is a heap-allocated std::shared_ptr<LatencyProbeJob>, which
// the thread deletes when it ends.
void RunLatencyProbeJob(void* argument);

}  // namespace vm
