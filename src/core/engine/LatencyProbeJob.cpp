#include "core/engine/LatencyProbeJob.h"

#include <memory>

#include "core/engine/TransferEvent.h"

namespace vm {
namespace {

constexpr uint32_t kPollMs = 20;

}  // namespace

bool LoadedProbeDue(bool downloading, uint32_t sinceLastMs, uint64_t downloadBytes,
                    const ProbeBudget& budget, uint64_t expectedProbeBytes) {
    return downloading && sinceLastMs >= kLoadedProbeIntervalMs &&
           budget.Allows(downloadBytes, expectedProbeBytes);
}

void LatencyProbeJob::Record(const ProbeOutcome& outcome, bool loaded, double atSeconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    result_.probeBytes += outcome.bytes;
    budget_.Spend(outcome.bytes);
    if (!outcome.ok) {
        ++result_.failed;
        return;
    }
    if (!loaded) {
        result_.idleMs.push_back(outcome.ms);
        return;
    }
    result_.loadedMs.push_back(outcome.ms);
    result_.loadedAtSeconds.push_back(atSeconds);
}

LatencyResult LatencyProbeJob::Result() const {
    std::lock_guard<std::mutex> lock(mutex_);
    LatencyResult result = result_;
    result.measured = true;
    return result;
}

void LatencyProbeJob::Run() {
    bool usable = true;
    uint64_t largest = 0;    // the largest probe so far: what the next one is expected to cost
    uint64_t announced = 0;  // what the download will move, when the server said
    for (uint32_t i = 0; i < kWarmUpProbes + kIdleProbes && usable && !stopped.load(); ++i) {
        if (announced != 0) {
            // The idle probes too stay within the share of what the download will move.
            std::lock_guard<std::mutex> lock(mutex_);
            if (!budget_.Allows(announced, largest)) break;
        }
        ProbeOutcome outcome = prober.Probe(url);
        if (announced == 0) announced = outcome.contentLength;
        usable = !outcome.unusable;
        largest = outcome.bytes > largest ? outcome.bytes : largest;
        if (i < kWarmUpProbes && outcome.ok) {
            std::lock_guard<std::mutex> lock(mutex_);
            result_.probeBytes += outcome.bytes;
            budget_.Spend(outcome.bytes);
            continue;
        }
        Record(outcome, false);
    }
    // The download starts now whatever the idle probes gave.
    (void)poster.PostEvent(window, message, EV_PROBES_IDLE_DONE, serial);
    uint32_t last = prober.TickCount();
    bool began = false;
    uint32_t beganTick = 0;  // when the download was first seen under way
    while (usable && !stopped.load()) {
        prober.Sleep(kPollMs);
        if (!began && downloading.load()) {
            began = true;
            beganTick = prober.TickCount();
        }
        bool due = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            due = LoadedProbeDue(downloading.load(), prober.TickCount() - last,
                                 downloadBytes.load(), budget_, largest);
        }
        if (!due) continue;
        last = prober.TickCount();
        const ProbeOutcome outcome = prober.Probe(url);
        if (stopped.load()) break;  // the download had ended: not a loaded time
        usable = !outcome.unusable;
        largest = outcome.bytes > largest ? outcome.bytes : largest;
        Record(outcome, true, (last - beganTick) / 1000.0);
    }
    ended.store(true);
}

void RunLatencyProbeJob(void* argument) {
    auto* job = static_cast<std::shared_ptr<LatencyProbeJob>*>(argument);
    (*job)->Run();
    delete job;
}

}  // namespace vm
