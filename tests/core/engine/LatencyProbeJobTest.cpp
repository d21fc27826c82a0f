#include <gtest/gtest.h>

#include "core/engine/LatencyProbeJob.h"

#include "core/engine/TransferEvent.h"
#include "support/ScriptedInternet.h"
#include <algorithm>

namespace vm {
namespace {

// A link whose probes take 2 ms idle and 40 ms under load, 600 bytes each; the download
// moves bytesPerMs while it runs, for runMs.
class FakeProber : public LatencyProber {
public:
    LatencyProbeJob* job = nullptr;
    uint64_t bytesPerMs = 100;
    uint32_t runMs = 10000;
    bool refuseAll = false;
    bool unusable = false;
    uint32_t tick = 0;
    uint32_t probes = 0;

    ProbeOutcome Probe(const std::string&) override {
        ++probes;
        ProbeOutcome outcome;
        outcome.ok = !refuseAll;
        outcome.unusable = unusable;
        outcome.bytes = 600;
        outcome.ms = probes > kWarmUpProbes + kIdleProbes ? 40 : 2;
        Sleep(static_cast<uint32_t>(outcome.ms));
        return outcome;
    }
    // The window opens the download once the idle probes are done.
    void Sleep(uint32_t ms) override {
        tick += ms;
        if (probes < kWarmUpProbes + kIdleProbes) return;
        job->downloading.store(true);
        job->downloadBytes.store(job->downloadBytes.load() + bytesPerMs * ms);
        if (tick >= runMs) job->stopped.store(true);
    }
    uint32_t TickCount() override { return tick; }
};

struct ProbeRun {
    test::FakeClock clock;
    test::ScriptedInternet poster{clock};
    FakeProber prober;
    LatencyProbeJob job{prober, poster};

    LatencyResult Run() {
        prober.job = &job;
        job.serial = 7;
        job.Run();
        return job.Result();
    }
};

TEST(LatencyProbeJob, IdleThenLoadedProbesWithinTheBudget) {
    ProbeRun run;
    const LatencyResult result = run.Run();
    test::PostedEvent e;
    ASSERT_TRUE(run.poster.PopEvent(&e));
    EXPECT_EQ(e.code, EV_PROBES_IDLE_DONE);
    EXPECT_EQ(e.serial, 7u);
    EXPECT_EQ(result.idleMs.size(), kIdleProbes);
    // 10 s at 100 KB/s = 1 MB moved: 5% is 50 KB, about 80 probes of 600 bytes, but one
    // every 200 ms gives fewer (the probe's own 40 ms included).
    EXPECT_GE(result.loadedMs.size(), 30u);
    EXPECT_LE(result.loadedMs.size(), 50u);
    // Each loaded time is placed on the download's own clock, in order, for the graph.
    ASSERT_EQ(result.loadedAtSeconds.size(), result.loadedMs.size());
    EXPECT_TRUE(std::is_sorted(result.loadedAtSeconds.begin(), result.loadedAtSeconds.end()));
    EXPECT_GT(result.loadedAtSeconds.back(), 6.0);
    EXPECT_LE(result.loadedAtSeconds.back(), 10.0);
    EXPECT_LE(
        static_cast<double>(result.probeBytes),
        kProbeByteShare * static_cast<double>(run.job.downloadBytes.load() + result.probeBytes));
}

TEST(LatencyProbeJob, ProbesAreSkippedRatherThanExceedTheBudget) {
    ProbeRun run;
    run.prober.bytesPerMs = 2;  // 2 KB/s: 20 KB in 10 s
    const LatencyResult result = run.Run();
    // Beyond the idle ones (which go before any byte), none fitted.
    EXPECT_EQ(result.loadedMs.size(), 0u);
    EXPECT_EQ(result.probeBytes, (kWarmUpProbes + kIdleProbes) * 600u);
}

TEST(LatencyProbeJob, FailuresAreCountedAndAnUnusableUrlStopsProbing) {
    ProbeRun refused;
    refused.prober.refuseAll = true;
    const LatencyResult failed = refused.Run();
    EXPECT_TRUE(failed.idleMs.empty());
    EXPECT_GE(failed.failed, kIdleProbes);

    ProbeRun whole;
    whole.prober.unusable = true;
    (void)whole.Run();
    EXPECT_EQ(whole.prober.probes, 1u);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// A server that announces a small body gets fewer idle probes: they too stay within 5%.
TEST(LatencyProbeJob, IdleProbesFitTheAnnouncedLength) {
    class Announcing : public LatencyProber {
    public:
        uint32_t probes = 0;
        LatencyProbeJob* job = nullptr;
        ProbeOutcome Probe(const std::string&) override {
            ++probes;
            ProbeOutcome outcome;
            outcome.ok = true;
            outcome.bytes = 500;
            outcome.contentLength = 40000;  // 5% of 42,000 moved: 2,100 bytes, four probes
            return outcome;
        }
        void Sleep(uint32_t) override { job->stopped.store(true); }
        uint32_t TickCount() override { return 0; }
    } prober;
    test::FakeClock clock;
    test::ScriptedInternet poster{clock};
    LatencyProbeJob job{prober, poster};
    prober.job = &job;
    job.Run();
    EXPECT_EQ(prober.probes, 4u);
    EXPECT_EQ(job.Result().idleMs.size(), 3u);
}

}  // namespace
}  // namespace vm
