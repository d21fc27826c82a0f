#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "core/engine/TestRun.h"
#include "support/FakeMessageTable.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

using test::PostedEvent;
using test::ScriptedResponse;

class FakeHost : public TestRunHost {
public:
    std::vector<DownloadItem> items;
    int refreshes = 0;
    int stateChanges = 0;
    int runsEnded = 0;

    DownloadItem* ItemAt(size_t i) override { return i < items.size() ? &items[i] : nullptr; }
    void Refresh() override { ++refreshes; }
    void OnRunStateChanged() override { ++stateChanges; }
    void OnRunEnded() override { ++runsEnded; }
};

class TestRunTest : public ::testing::Test {
protected:
    test::TransferHarness h;
    test::FakeMessageTable messages;
    AppSettings settings;
    FakeHost host;
    TestRun run{host, settings, h.clock, messages, h.context, 0x55};

    void SetUp() override {
        settings.UseAutoStopTime = 0;
        settings.ConnectTimeout = 20;
    }
    DownloadItem& Item(size_t i) { return host.items[i]; }
    void Add(const std::string& url, bool disabled = false) {
        host.items.emplace_back(url, "", static_cast<int32_t>(host.items.size()));
        host.items.back().disabled = disabled ? 1 : 0;
    }
    ScriptedResponse& Serve(const std::string& url, uint64_t bytes) {
        ScriptedResponse& r = h.net.Respond(url);
        r.contentLength = std::to_string(bytes);
        r.bodyBytes = bytes;
        return r;
    }
    void Pump() {
        PostedEvent e;
        for (int guard = 0; guard < 1000000 && h.net.PopEvent(&e); ++guard) {
            run.OnTransferEvent(e.code, e.serial);
        }
    }
    // Completes the current open through the library's callback, then pumps.
    void Connect() {
        ASSERT_NE(run.CurrentTransfer(), nullptr);
        h.CompleteOpen(run.CurrentTransfer()->Serial());
        Pump();
    }
    // A body that has not begun to arrive: reading waits on a query.
    ScriptedResponse& Hang(const std::string& url) {
        ScriptedResponse& r = Serve(url, 100000000);
        r.arrived = 0;
        return r;
    }
    // Bytes arrive and the waiting query completes with their count; pumped unless the
    // test hands the events over itself.
    void Deliver(uint32_t bytes, bool pump = true) {
        h.net.Arrive(h.net.LastRequest(), bytes);
        h.context.registry.DispatchStatus(run.CurrentTransfer()->Serial(), h.net.LastRequest(),
                                          kStatusRequestComplete, 1, bytes);
        if (pump) Pump();
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            h.clock.Advance(200);
            run.OnSampleTick();
        }
    }
};

TEST_F(TestRunTest, ItemsGoThroughTheirStatesInStorageOrder) {
    Serve("http://a/1", 1000);
    Serve("http://a/2", 2000);
    Add("http://a/1");
    Add("http://a/2");
    Item(1).status = DownloadStatus::Finished;  // a result of an earlier run
    Item(1).bytes = 77;
    run.StartTest();
    EXPECT_TRUE(run.IsRunning());
    EXPECT_EQ(host.stateChanges, 1);
    EXPECT_EQ(Item(0).status, DownloadStatus::Connecting);
    EXPECT_EQ(Item(0).attemptTick, h.clock.tick);
    EXPECT_EQ(Item(1).status, DownloadStatus::Waiting);
    EXPECT_EQ(Item(1).bytes, 0u);
    h.clock.Advance(300);
    h.CompleteOpen(run.CurrentTransfer()->Serial());
    PostedEvent e;
    // Open completion, then acceptance: Downloading with the start time taken.
    ASSERT_TRUE(h.net.PopEvent(&e));
    run.OnTransferEvent(e.code, e.serial);
    ASSERT_TRUE(h.net.PopEvent(&e));
    ASSERT_EQ(e.code, EV_RESPONSE_ACCEPTED);
    run.OnTransferEvent(e.code, e.serial);
    EXPECT_EQ(Item(0).status, DownloadStatus::Downloading);
    EXPECT_EQ(Item(0).startTick, h.clock.tick);
    EXPECT_EQ(Item(0).startTime, h.clock.utc);
    Pump();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).bytes, 1000u);
    EXPECT_EQ(Item(1).status, DownloadStatus::Connecting);
    Connect();
    EXPECT_EQ(Item(1).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(1).bytes, 2000u);
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(host.runsEnded, 1);
    EXPECT_EQ(run.CurrentTransfer(), nullptr);
    EXPECT_EQ(h.context.Root(), 0u);  // the end of the run closes the root
    EXPECT_EQ(h.net.rootOpens, 1);    // one root from item to item
    EXPECT_EQ(h.net.openHeaders,
              (std::vector<std::string>{"Connection: Close", "Connection: Close"}));
}

TEST_F(TestRunTest, EachItemIsJudgedAgainstItsMinimumWhenItEnds) {
    settings.DefaultMinSpeed = 10;  // 10,240 bytes/s
    Hang("http://a/1");
    Hang("http://a/2");
    Serve("http://a/3", 0);
    Add("http://a/1");
    Add("http://a/2");
    Add("http://a/3");
    Item(1).minSpeed = 1;  // its own, lower minimum
    run.StartTest();
    Connect();
    Tick(5);
    Deliver(5000);
    Tick(5);  // 5,000 bytes in about two seconds
    run.MoveToNextDownload();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_TRUE(Item(0).belowMinSpeed);
    Connect();
    Tick(5);
    Deliver(5000);
    Tick(5);
    const int refreshes = host.refreshes;
    run.MoveToNextDownload();
    EXPECT_FALSE(Item(1).belowMinSpeed);
    EXPECT_GE(host.refreshes, refreshes + 1);
    // Nothing to measure in no time: an empty body done at once is not slow.
    Connect();
    EXPECT_EQ(Item(2).status, DownloadStatus::Finished);
    EXPECT_FALSE(Item(2).belowMinSpeed);
    EXPECT_FALSE(run.IsRunning());
    // A new run starts unjudged.
    Hang("http://a/1");
    run.StartTest();
    EXPECT_FALSE(Item(0).belowMinSpeed);
}

TEST_F(TestRunTest, FailureRecordsCodeAndFlattenedTextAndServerStatus) {
    ScriptedResponse& r = h.net.Respond("http://a/404");
    r.status = 404;
    h.net.Respond("http://a/refused");
    Add("http://a/refused");
    Add("http://a/404");
    run.StartTest();
    h.CompleteOpen(run.CurrentTransfer()->Serial(), 12029);
    Pump();
    EXPECT_EQ(Item(0).status, DownloadStatus::Failed);
    EXPECT_EQ(Item(0).errorCode, 12029u);
    EXPECT_EQ(Item(0).errorText.str(), "Text of 12029.  ");
    Connect();
    EXPECT_EQ(Item(1).status, DownloadStatus::Failed);
    EXPECT_EQ(Item(1).errorCode, 0u);
    EXPECT_EQ(Item(1).serverStatus, 404);
    EXPECT_EQ(Item(1).errorText.str(), "");
    EXPECT_FALSE(run.IsRunning());
}

TEST_F(TestRunTest, RetriesAnAlwaysFailingItem) {
    struct Case {
        int32_t tryAgain;
        int32_t retries;
        size_t attempts;
    } cases[] = {{1, 3, 4}, {1, 0, 1}, {0, 3, 1}, {1, -1, 1}};
    for (const Case& c : cases) {
        settings.TryAgainOnFail = c.tryAgain;
        settings.NumOfRetries = c.retries;
        h.net.openedUrls.clear();
        host.items.clear();
        Add("http://a/never");  // unscripted: refused at once
        run.StartTest();
        Pump();
        EXPECT_FALSE(run.IsRunning());
        EXPECT_EQ(h.net.openedUrls.size(), c.attempts);
        EXPECT_EQ(Item(0).status, DownloadStatus::Failed);
        EXPECT_EQ(Item(0).retries, c.attempts - 1);
    }
}

TEST_F(TestRunTest, ConnectTimeoutEndsASilentAttemptAndRetries) {
    h.net.Respond("http://a/silent");  // accepted, never answers
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 1;
    Add("http://a/silent");
    run.StartTest();
    Tick(99);  // 19.8 s
    EXPECT_EQ(Item(0).status, DownloadStatus::Connecting);
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::Connecting);  // the retry
    EXPECT_EQ(Item(0).retries, 1u);
    EXPECT_EQ(h.net.openedUrls.size(), 2u);
    Tick(100);
    EXPECT_EQ(Item(0).status, DownloadStatus::ConnectTimeout);
    EXPECT_FALSE(run.IsRunning());
}

TEST_F(TestRunTest, ConnectTimeoutZeroEndsAtTheFirstTick) {
    h.net.Respond("http://a/x");
    settings.ConnectTimeout = 0;
    Add("http://a/x");
    run.StartTest();
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::ConnectTimeout);
}

// The time limit at four levels, each for faults the others cannot see: here the rule
// itself on a fake clock (the tick it fires on, off by one); WinTestRunTest the real timer
// on a rate-limited server; WinLiveLink and WinLocalRun reads that starve the timer; e2e
// the switch on the command line and the report's duration.
TEST_F(TestRunTest, AutoStopTimeFinishesOnTheFirstTickAtTheLimit) {
    ScriptedResponse& r = Serve("http://a/big", 100000000);
    r.arrived = 300000;  // then the server stalls
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 20;
    Add("http://a/big");
    run.StartTest();
    Connect();
    const uint64_t n = 300000;
    Tick(99);
    EXPECT_EQ(Item(0).status, DownloadStatus::Downloading);
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).duration, 20000u);
    EXPECT_EQ(Item(0).bytes, n);
}

TEST_F(TestRunTest, AutoStopTimeZeroFinishesBeforeConnecting) {
    h.net.Respond("http://a/x");
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 0;
    Add("http://a/x");
    Add("http://a/x");
    run.StartTest();
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).bytes, 0u);
    EXPECT_EQ(Item(1).status, DownloadStatus::Connecting);
}

TEST_F(TestRunTest, SizeRuleFinishesAtTheFirstProgressPastTheLimit) {
    struct Case {
        int32_t size;
        int32_t unit;
        uint64_t limit;
        uint64_t body;
    } cases[] = {
        {5000, 2, 5120000, 20000000},
        {4096, 3, 4294967296ULL, 5000000000ULL},
        {5000, 7, 0, 10000000},  // unknown unit: the first progress ends it
    };
    for (const Case& c : cases) {
        host.items.clear();
        h.net.readSizes.clear();
        const std::string url = "http://a/" + std::to_string(c.body);
        Serve(url, c.body).msPerRead = 10;  // a turn of reading is five reads
        settings.UseAutoStopSize = 1;
        settings.AutoStopSize = c.size;
        settings.AutoStopSizeUnit = c.unit;
        Add(url);
        run.StartTest();
        Connect();
        EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
        EXPECT_GE(Item(0).bytes, c.limit);
        // Progress events are handled after each turn of reading.
        EXPECT_LT(Item(0).bytes, c.limit + 5 * kMaxArrivedRead);
        EXPECT_LT(Item(0).bytes, c.body);
        EXPECT_FALSE(run.IsRunning());
    }
}

TEST_F(TestRunTest, StableSpeedStopsWithinItsLimitOnly) {
    struct Case {
        double value;
        int32_t unit;
        bool stops;
    } cases[] = {{0.5, 1, false}, {3, 1, true}, {3, 2, true}, {2.9, 2, false}};
    for (const Case& c : cases) {
        host.items.clear();
        Hang("http://a/s");
        settings.UseAutoStopStable = 1;
        settings.AutoStopStableValue = c.value;
        settings.AutoStopStableUnit = c.unit;
        Add("http://a/s");
        run.StartTest();
        Connect();
        const double history[5] = {100, 98, 103, 101, 99};
        std::copy(history, history + 5, Item(0).history);
        run.OnSampleTick();  // no sample on this tick: the history stands
        EXPECT_EQ(Item(0).status == DownloadStatus::Finished, c.stops) << c.value;
        run.StopTest();
    }
}

TEST_F(TestRunTest, HistoryIsSampledOncePerSecond) {
    Hang("http://a/s");
    Add("http://a/s");
    run.StartTest();
    Connect();
    Tick(4);
    EXPECT_EQ(Item(0).history[0], 0);
    Deliver(65536);
    Tick();
    EXPECT_GT(Item(0).history[0], 0);
    EXPECT_EQ(Item(0).history[1], 0);
    Tick(5);
    EXPECT_GT(Item(0).history[1], 0);
}

TEST_F(TestRunTest, MeasuresAttemptsAndStepsBesideTheItems) {
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 1;
    h.net.Respond("http://a/empty");  // 200 and no body
    Add("http://a/never");            // unscripted: refused at once, and tried again
    Add("http://a/empty");
    const FileTime started = h.clock.utc;
    run.StartTest();
    Pump();
    ASSERT_EQ(Item(1).status, DownloadStatus::Connecting);
    const uint32_t serial = run.CurrentTransfer()->Serial();
    // The library's steps are stamped as it reports them: 5, 7 and 8 ms into the attempt.
    const std::pair<uint32_t, uint32_t> steps[] = {
        {5, kStatusNameResolved}, {2, kStatusConnectedToServer}, {1, kStatusRequestSent}};
    for (const auto& step : steps) {
        h.clock.Advance(step.first);
        h.context.registry.DispatchStatus(serial, 0, step.second, 0, 0);
    }
    Tick(5);  // a second of waiting for the answer: no samples before the download starts
    h.clock.Advance(2);
    Connect();  // accepted 1,010 ms in; the empty body ends the item and the run

    const RunMeasurements& m = run.Measurements();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(m.RunStart(), started);
    EXPECT_EQ(m.RunEnd(), h.clock.utc.load());
    ASSERT_NE(m.ForItem(1), nullptr);
    EXPECT_EQ(m.ForItem(0)->attempts, 2u);
    EXPECT_FALSE(m.ForItem(0)->hasPhase[kAttemptFirstByte]);
    const ItemMeasurements& item = *m.ForItem(1);
    EXPECT_EQ(item.attempts, 1u);
    EXPECT_EQ(item.httpStatus, 200);
    EXPECT_TRUE(item.samples.empty());
    const uint32_t phaseMs[] = {5, 7, 8, 1010};
    for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
        EXPECT_TRUE(item.hasPhase[phase]) << phase;
        EXPECT_EQ(item.phaseMs[phase], phaseMs[phase]) << phase;
    }

    // A new run starts every record afresh (the refused item's two attempts are made at
    // once, and the second item's attempt begins).
    run.StartTest();
    EXPECT_EQ(run.Measurements().ForItem(0)->attempts, 2u);
    EXPECT_EQ(run.Measurements().ForItem(1)->attempts, 1u);
    run.StopTest();
}

// A burst that a stall follows posts no progress (it came within 100 ms of the last post):
// the next tick takes the count all the same.
TEST_F(TestRunTest, TheSampleTickTakesACountThatNoProgressEventBrought) {
    Hang("http://a/s");
    Add("http://a/s");
    run.StartTest();
    Connect();
    Deliver(65536);
    EXPECT_EQ(Item(0).bytes, 0u);
    const int before = host.refreshes;
    Tick();
    EXPECT_EQ(Item(0).bytes, 65536u);
    EXPECT_EQ(host.refreshes, before + 1);
}

TEST_F(TestRunTest, RedrawsAfterProgressAndEveryTwoSecondsWhileStalled) {
    Hang("http://a/s");
    Add("http://a/s");
    run.StartTest();
    Connect();
    h.clock.Advance(1000);
    Deliver(65536);
    const double speed = Item(0).speedKBps;
    EXPECT_GT(speed, 0);
    int before = host.refreshes;
    Tick();  // the tick after a progress event redraws
    EXPECT_EQ(host.refreshes, before + 1);
    before = host.refreshes;
    Tick(9);
    EXPECT_EQ(host.refreshes, before);
    Tick();  // ten stalled ticks: the falling average is shown
    EXPECT_EQ(host.refreshes, before + 1);
    EXPECT_LT(Item(0).speedKBps, speed);
}

TEST_F(TestRunTest, TimeoutsAndDurationsAcrossTheTickWrap) {
    Hang("http://a/w");
    h.net.Respond("http://a/silent");
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 2;
    h.clock.tick = 0xFFFFFF00u;
    Add("http://a/w");
    Add("http://a/silent");
    run.StartTest();
    Connect();
    Tick(9);
    EXPECT_EQ(Item(0).status, DownloadStatus::Downloading);
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).duration, 2000u);
    settings.UseAutoStopTime = 0;
    Tick(99);
    EXPECT_EQ(Item(1).status, DownloadStatus::Connecting);
    Tick();
    EXPECT_EQ(Item(1).status, DownloadStatus::ConnectTimeout);
}

TEST_F(TestRunTest, DisabledItemsArePassedOverAndAllDisabledEndsAtOnce) {
    Serve("http://a/1", 10);
    Add("http://a/1", true);
    Add("http://a/1", true);
    run.StartTest();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(host.runsEnded, 1);
    EXPECT_TRUE(h.net.openedUrls.empty());

    host.items.clear();
    Add("http://a/1");
    Add("http://a/1");
    Add("http://a/1");
    run.StartTest();
    Item(1).disabled = 1;  // disabled during the run, before it is reached
    Connect();
    EXPECT_EQ(Item(1).status, DownloadStatus::Waiting);
    EXPECT_EQ(run.CurrentIndex(), 2u);
    Item(2).disabled = 1;  // the item under test goes on
    Connect();
    EXPECT_EQ(Item(2).status, DownloadStatus::Finished);
}

TEST_F(TestRunTest, StopWhileConnectingFinishesTheItemAndLeavesTheRestWaiting) {
    h.net.Respond("http://a/x");
    Add("http://a/x");
    Add("http://a/x");
    run.StartTest();
    run.StopTest();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).bytes, 0u);
    EXPECT_EQ(Item(0).speedKBps, 0);
    EXPECT_EQ(Item(1).status, DownloadStatus::Waiting);
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(host.runsEnded, 1);
    EXPECT_EQ(h.context.registry.LiveCount(), 0u);
    run.StartTest();  // a run may follow
    EXPECT_TRUE(run.IsRunning());
}

TEST_F(TestRunTest, MoveToNextIgnoresTheOldTransfersQueuedEvents) {
    ScriptedResponse& r = Serve("http://a/slow", 1000000);
    r.msPerRead = 120;  // each read posts progress and ends its turn
    Serve("http://a/next", 500);
    Add("http://a/slow");
    Add("http://a/next");
    run.StartTest();
    h.CompleteOpen(run.CurrentTransfer()->Serial());
    PostedEvent e;
    ASSERT_TRUE(h.net.PopEvent(&e));
    run.OnTransferEvent(e.code, e.serial);  // reads for a turn, queueing progress
    ASSERT_GT(h.net.QueuedEvents(), 2u);
    run.MoveToNextDownload();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(1).status, DownloadStatus::Connecting);
    const uint64_t bytesBefore = Item(0).bytes;
    Pump();  // the old transfer's progress and continuation events
    EXPECT_EQ(Item(0).bytes, bytesBefore);
    EXPECT_EQ(Item(1).status, DownloadStatus::Connecting);
    Connect();
    EXPECT_EQ(Item(1).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(1).bytes, 500u);
}

TEST_F(TestRunTest, LocalFilesRunOnAWorker) {
    h.files.sizes["C:\\data\\f.bin"] = 200000;
    Add("C:\\data\\f.bin");
    Add("\\\\server\\share\\missing.bin");
    run.StartTest();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (run.IsRunning() && std::chrono::steady_clock::now() < deadline) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).bytes, 200000u);
    EXPECT_EQ(Item(1).status, DownloadStatus::Failed);
    EXPECT_EQ(Item(1).errorCode, 2u);
    EXPECT_EQ(Item(1).errorText.str(), "Text of 2.  ");
    EXPECT_TRUE(h.net.openedUrls.empty());
    EXPECT_TRUE(h.files.WaitForWorkersEnded());
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// On a fast link a whole turn of reading happens before any of its events is handled;
// the times must be those of the transfer, not of the handling.
TEST_F(TestRunTest, TimesAreTakenWhenTheDataArrivesNotWhenItsEventIsHandled) {
    ScriptedResponse& r = Serve("http://a/1", 1250000);
    r.msPerRead = 1;
    Add("http://a/1");
    run.StartTest();
    const uint32_t accepted = h.clock.tick;
    h.CompleteOpen(run.CurrentTransfer()->Serial());
    PostedEvent e;
    while (h.net.PopEvent(&e)) {
        if (e.code == EV_FINISHED) h.clock.Advance(3000);  // the GUI was busy elsewhere
        run.OnTransferEvent(e.code, e.serial);
    }
    ASSERT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).startTick, accepted);
    EXPECT_GT(Item(0).duration, 0u);
    EXPECT_EQ(Item(0).duration, h.clock.tick - 3000 - accepted);
    EXPECT_DOUBLE_EQ(Item(0).speedKBps, 1250000 / 1024.0 / (Item(0).duration / 1000.0));
}

// Wine does not apply the library's receive time-out to a request: a body that stalls
// must still end, as that time-out would end it.
TEST_F(TestRunTest, BodySilentForTheReceiveTimeOutFailsAndIsRetried) {
    Hang("http://a/stall");
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 1;
    Add("http://a/stall");
    run.StartTest();
    Connect();
    Deliver(1000);
    h.clock.Advance(kReceiveTimeoutMs - 200 - 1);
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::Downloading);
    Tick();                                                 // silent for the whole time-out
    EXPECT_EQ(Item(0).status, DownloadStatus::Connecting);  // the retry
    EXPECT_EQ(Item(0).retries, 1u);
    Connect();
    run.SetReceiveTimeoutMs(1000);  // as tests under Wine shorten it
    Tick(5);
    EXPECT_EQ(Item(0).status, DownloadStatus::Failed);
    EXPECT_EQ(Item(0).errorCode, kErrorInternetTimeout);
    EXPECT_EQ(Item(0).errorText.str(), "Text of 12002.  ");
    EXPECT_FALSE(run.IsRunning());
}

// The time limit is the user's rule for a download still running: on the tick where it
// and the receive time-out both come due, the item is finished, not failed.
TEST_F(TestRunTest, TimeLimitDueWithTheReceiveTimeOutFinishes) {
    Hang("http://a/stall");
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = kReceiveTimeoutMs / 1000;
    Add("http://a/stall");
    run.StartTest();
    Connect();
    h.clock.Advance(kReceiveTimeoutMs - 200);
    Tick();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).errorCode, 0u);
    EXPECT_EQ(Item(0).duration, kReceiveTimeoutMs);
}

// Bytes the transfer counted before the command are kept, even when their progress event
// has not been handled yet.
TEST_F(TestRunTest, StopAndNextKeepTheBytesCountedSoFar) {
    for (bool next : {false, true}) {
        host.items.clear();
        Hang("http://a/s");
        Add("http://a/s");
        Add("http://a/s");
        run.StartTest();
        Connect();
        Deliver(5000, false);
        PostedEvent e;
        ASSERT_TRUE(h.net.PopEvent(&e));
        run.OnTransferEvent(e.code, e.serial);  // reads and counts; its progress still queued
        if (next) {
            run.MoveToNextDownload();
        } else {
            run.StopTest();
        }
        EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
        EXPECT_EQ(Item(0).bytes, 5000u);
        Pump();
        run.StopTest();
    }
}

// A download on four connections through the run: the first answer decides whether parts
// start, each connection's bytes count once, one wrong answer fails the attempt with its
// error, and whatever ends the attempt closes every connection.
TEST_F(TestRunTest, FourConnectionsCountEachByteOnceAndEndTogether) {
    constexpr uint64_t kFile = 4u << 20;
    constexpr uint64_t kUncounted = UINT64_MAX;
    const struct {
        const char* what;
        bool takesRanges;
        uint64_t shortBy;
        std::optional<uint64_t> arrived;  // what each connection gets before it stalls
        DownloadStatus status;
        uint64_t bytes;
        int32_t used;
        uint32_t error;
        size_t opens;
    } cases[] = {
        {"ranges taken", true, 0, {}, DownloadStatus::Finished, kFile, 4, 0, 5},
        {"ranges ignored", false, 0, {}, DownloadStatus::Finished, kFile, 1, 0, 1},
        {"a part short", true, 1, {}, DownloadStatus::Failed, kUncounted, 4, kErrorRangeLength, 5},
        {"stopped", true, 0, 1000, DownloadStatus::Finished, 5 * 1000, 4, 0, 5},
    };
    settings.DefaultConnections = 4;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        h.net.responses.clear();
        host.items.clear();
        ScriptedResponse& r = Serve("http://a/f", kFile);
        r.takesRanges = c.takesRanges;
        r.laterRangeShortBy = c.shortBy;
        r.arrived = c.arrived;
        Add("http://a/f");
        const size_t first = h.net.openedUrls.size();
        run.StartTest();
        // Every open completes, the parts' too once the first answer started them.
        for (size_t done = first; done < h.net.openedUrls.size(); ++done) {
            const InternetHandle handle = test::ScriptedInternet::HandleOf(done);
            h.context.registry.DispatchStatus(h.net.openContexts[done], handle,
                                              kStatusRequestComplete, handle, 0);
            Pump();
        }
        if (c.arrived) run.StopTest();
        EXPECT_FALSE(run.IsRunning());
        EXPECT_EQ(Item(0).status, c.status);
        if (c.bytes != kUncounted) {
            EXPECT_EQ(Item(0).bytes, c.bytes);
        }
        EXPECT_EQ(Item(0).errorCode, c.error);
        EXPECT_EQ(run.Measurements().ForItem(0)->connections.used, c.used);
        ASSERT_EQ(h.net.openedUrls.size() - first, c.opens);
        for (size_t i = first; i < h.net.openedUrls.size(); ++i)
            EXPECT_TRUE(h.net.WasClosed(test::ScriptedInternet::HandleOf(i))) << i;
    }
}

TEST_F(TestRunTest, SizeLimitStopsAFastDownloadNearTheLimit) {
    settings.UseAutoStopSize = 1;
    settings.AutoStopSize = 100;
    settings.AutoStopSizeUnit = 2;
    Serve("http://a/1", 5u << 20);
    Add("http://a/1");
    run.StartTest();
    Connect();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_GE(Item(0).bytes, 102400u);
    EXPECT_LE(Item(0).bytes, 102400u + kMaxArrivedRead);
    EXPECT_FALSE(run.IsRunning());
}

// Items refused at once go by without waiting for their events, which a full queue may
// refuse: the run never waits for a transfer that was never made.
TEST_F(TestRunTest, ItemsRefusedAtOnceAdvanceWithoutTheirEvents) {
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 2;
    for (int i = 0; i < 3; ++i) Add("http://a/refused");  // unscripted: refused at once with 12007
    h.net.refusePosts = 1000;
    run.StartTest();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(host.runsEnded, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Item(i).status, DownloadStatus::Failed) << i;
        EXPECT_EQ(Item(i).errorCode, 12007u) << i;
        EXPECT_EQ(run.Measurements().ForItem(i)->attempts, 3u) << i;
    }
}

// A long run of them gives the message loop its turn and goes on at the next tick.
TEST_F(TestRunTest, ATurnOfRefusedItemsYieldsToTheMessageLoop) {
    ScriptedResponse& r = h.net.Respond("http://a/slowly-refused");
    r.open = ScriptedResponse::Open::Refused;
    r.openError = 12029;
    r.msPerOpen = 20;
    for (int i = 0; i < 10; ++i) Add("http://a/slowly-refused");
    run.StartTest();
    EXPECT_TRUE(run.IsRunning());
    EXPECT_EQ(Item(3).status, DownloadStatus::Waiting);  // 3 x 20 ms: the turn is over
    EXPECT_EQ(Item(2).status, DownloadStatus::Failed);
    // The last refused transfer's own event, already recorded, fails nobody else.
    Pump();
    EXPECT_EQ(Item(3).status, DownloadStatus::Waiting);
    Tick();
    EXPECT_EQ(Item(5).status, DownloadStatus::Failed);
    run.StopTest();
    EXPECT_EQ(Item(6).status, DownloadStatus::Waiting);  // not begun: not "Finished"
    EXPECT_FALSE(run.IsRunning());
}

// Under Wine a failed open announced a handle that nobody closed: a refused list grew by
// about 8 KB an item. Every attempt now leaves nothing behind.
TEST_F(TestRunTest, ARefusedListLeavesNoHandleOrRecordBehind) {
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 1;
    h.net.Respond("http://a/refused");  // pending, then refused by the callback
    for (int i = 0; i < 500; ++i) Add("http://a/refused");
    run.StartTest();
    size_t attempts = 0;
    while (run.IsRunning()) {
        h.AnnounceOpen(run.CurrentTransfer()->Serial());
        h.CompleteOpen(run.CurrentTransfer()->Serial(), 12029);
        const InternetHandle announced = h.net.LastRequest();
        Pump();
        ASSERT_TRUE(h.net.WasClosed(announced));
        ++attempts;
    }
    EXPECT_EQ(attempts, 1000u);
    EXPECT_EQ(h.context.registry.PendingCount(), 0u);
    EXPECT_EQ(h.context.registry.LiveCount(), 0u);
    EXPECT_EQ(h.context.registry.RetiredCount(), 0u);
    EXPECT_EQ(h.net.QueuedEvents(), 0u);
}

TEST_F(TestRunTest, AnFtpRefusalShowsTheServersReply) {
    ScriptedResponse& r = h.net.Respond("ftp://a/missing");
    r.status.reset();
    Add("ftp://a/missing");
    h.net.lastResponse = std::make_pair(12003u, std::string("550 Failed to open file.\r\n"));
    run.StartTest();
    h.CompleteOpen(run.CurrentTransfer()->Serial(), 12003);
    Pump();
    EXPECT_EQ(Item(0).status, DownloadStatus::Failed);
    EXPECT_EQ(Item(0).errorCode, 12003u);
    EXPECT_EQ(Item(0).errorText.str(), "550 Failed to open file.");
}

// The end of the session: the report gets the items as they stand.
TEST_F(TestRunTest, AnInterruptedRunKeepsTheItemsAsTheyStand) {
    Serve("http://a/done", 1000);
    Hang("http://a/stalled");
    Add("http://a/done");
    Add("http://a/stalled");
    Add("http://a/later");
    run.StartTest();
    Connect();
    Connect();
    Deliver(5000);
    ASSERT_EQ(Item(1).status, DownloadStatus::Downloading);
    run.InterruptTest();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(host.runsEnded, 1);
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(1).status, DownloadStatus::Downloading);
    EXPECT_EQ(Item(1).bytes, 5000u);
    EXPECT_EQ(Item(2).status, DownloadStatus::Waiting);
    run.InterruptTest();  // once ended, nothing more
    EXPECT_EQ(host.runsEnded, 1);
}

// Only a body whose announced length was reached is known to be whole.
TEST_F(TestRunTest, CompleteOnlyWhereTheWholeBodyIsKnownToHaveCome) {
    Serve("http://a/declared", 1000);
    h.net.Respond("http://a/chunked").bodyBytes = 1000;
    Add("http://a/declared");
    Add("http://a/chunked");
    run.StartTest();
    Connect();
    Connect();
    ASSERT_EQ(Item(1).status, DownloadStatus::Finished);
    EXPECT_TRUE(run.Measurements().ForItem(0)->complete);
    EXPECT_FALSE(run.Measurements().ForItem(1)->complete);
}

// Repeat: each measurement is a full attempt of its own, the time limit counting for each;
// the list then shows the measurement whose speed is the median.
TEST_F(TestRunTest, RepeatMeasuresInARowAndShowsTheMedianMeasurement) {
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 2;
    Hang("http://a/r");
    Serve("http://a/next", 10);
    Add("http://a/r");
    Add("http://a/next");
    Item(0).repeat = 3;
    run.StartTest();
    for (uint32_t bytes : {3000u, 1000u, 2000u}) {
        Connect();
        Deliver(bytes);
        Tick(9);
        EXPECT_EQ(Item(0).status, DownloadStatus::Downloading);
        Tick();
    }
    Connect();  // the next item, measured once
    ASSERT_FALSE(run.IsRunning());
    const ItemMeasurements* m = run.Measurements().ForItem(0);
    ASSERT_EQ(m->repeats.size(), 3u);
    EXPECT_EQ(m->attempts, 3u);
    for (const RepeatResult& r : m->repeats) {
        EXPECT_EQ(r.status, DownloadStatus::Finished);
        EXPECT_EQ(r.durationUs, 2000000u);
    }
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    EXPECT_EQ(Item(0).bytes, 2000u);
    EXPECT_EQ(Item(0).duration, 2000u);
    EXPECT_DOUBLE_EQ(Item(0).speedKBps, 1000 / 1024.0);
    // Measured once, the item is its own record: no copy of it is kept beside it.
    EXPECT_TRUE(run.Measurements().ForItem(1)->repeats.empty());
    EXPECT_TRUE(run.Measurements().ForItem(1)->measuredOnce);
    EXPECT_EQ(Item(1).bytes, 10u);
}

// A measurement that fails (after its own retries) makes the item fail with that status,
// while its cells show the median of the finished ones.
TEST_F(TestRunTest, AFailedRepeatFailsTheItemWithTheFirstFailure) {
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 1;
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 1;
    ScriptedResponse& r = Hang("http://a/r");
    Add("http://a/r");
    Item(0).repeat = 3;
    run.StartTest();
    Connect();
    Deliver(4000);
    r.status = 404;  // a request takes its answer when it is opened
    Tick(5);
    Connect();  // the second measurement fails, and its retry too
    EXPECT_EQ(Item(0).retries, 1u);
    r.status = 200;
    Connect();
    EXPECT_EQ(Item(0).retries, 0u);  // the third starts with retries of its own
    Connect();
    Deliver(1000);
    Tick(5);
    ASSERT_FALSE(run.IsRunning());
    const ItemMeasurements* m = run.Measurements().ForItem(0);
    ASSERT_EQ(m->repeats.size(), 3u);
    EXPECT_EQ(m->repeats[1].status, DownloadStatus::Failed);
    EXPECT_EQ(m->attempts, 4u);
    EXPECT_EQ(Item(0).status, DownloadStatus::Failed);
    EXPECT_EQ(Item(0).serverStatus, 404);
    EXPECT_EQ(Item(0).bytes, 1000u);  // the lower of the two finished
}

// Stopping ends the item with the measurements made: the one under way counts once its
// data has begun; one still connecting says nothing of the speed.
TEST_F(TestRunTest, StopDuringARepeatKeepsTheMeasurementsMade) {
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 2;
    Hang("http://a/r");
    Add("http://a/r");
    Item(0).repeat = 5;
    for (bool dataBegun : {true, false}) {
        run.StartTest();
        Connect();
        Deliver(4000);
        Tick(10);
        if (dataBegun) {
            Connect();
            Deliver(1000);
            Tick(3);
        }
        run.StopTest();
        const ItemMeasurements* m = run.Measurements().ForItem(0);
        ASSERT_EQ(m->repeats.size(), dataBegun ? 2u : 1u);
        EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
        EXPECT_EQ(Item(0).bytes, dataBegun ? 1000u : 4000u) << dataBegun;
        EXPECT_EQ(Item(0).duration, dataBegun ? 600u : 2000u) << dataBegun;
    }
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// Probes that all fail at once.
class RefusingProber : public LatencyProber {
public:
    std::atomic<uint32_t> probes{0};
    ProbeOutcome Probe(const std::string&) override {
        ++probes;
        ProbeOutcome outcome;
        outcome.bytes = 100;
        return outcome;
    }
    void Sleep(uint32_t) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    uint32_t TickCount() override { return 0; }
};

// The download opens once the idle probes are done; probes that fail are counted and never
// fail the item.
TEST_F(TestRunTest, LatencyProbesGoFirstAndTheirFailuresAreOnlyCounted) {
    RefusingProber prober;
    h.context.prober = &prober;
    settings.DefaultLatencyProbe = 1;
    Add("http://h/a");
    Serve("http://h/a", 1000);
    run.StartTest();
    EXPECT_TRUE(h.net.openedUrls.empty());
    for (int i = 0; i < 5000 && h.net.openedUrls.empty(); ++i) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(h.net.openedUrls.size(), 1u);
    EXPECT_GE(prober.probes.load(), kIdleProbes);
    Connect();
    EXPECT_EQ(Item(0).status, DownloadStatus::Finished);
    const LatencyResult& latency = run.Measurements().ForItem(0)->latency;
    EXPECT_TRUE(latency.measured);
    EXPECT_GE(latency.failed, kIdleProbes);
    EXPECT_TRUE(latency.idleMs.empty());
    h.context.prober = nullptr;
}

}  // namespace
}  // namespace vm
