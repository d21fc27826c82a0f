#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "LiveRunTest.h"
#include "core/engine/SpeedRules.h"

namespace vm {
namespace {

// Wine reads its \dev\zero at disk-cache speed or faster, and it never ends: the fastest
// local source there is.
const char kFastSource[] = "Z:\\dev\\zero";
constexpr UINT_PTR kSampleTimer = 1;
constexpr UINT kSampleMs = 200;  // the main window's timer

// A whole run of a fast local source, driven as the main window drives it: events
// through the window's queue, the sampler on a real 200 ms timer of the same window. The
// reader must leave the queue to the timer, or the time limit comes late.
class WinLocalRunTest : public test::LiveRunTest {
protected:
    void SetUp() override {
        window.handler = [this](uint32_t code, uint32_t serial) {
            run.OnTransferEvent(code, serial);
        };
        window.onTimer = [this](UINT_PTR id) {
            if (id != kSampleTimer) return;
            ticks.push_back(GetTickCount());
            run.OnSampleTick();
            if (!run.IsRunning() && endTick == 0) endTick = GetTickCount();
        };
        ASSERT_NE(SetTimer(window.Handle(), kSampleTimer, kSampleMs, nullptr), 0u);
    }
    void TearDown() override { KillTimer(window.Handle(), kSampleTimer); }

    // The longest wait between two sampler ticks.
    DWORD LongestTickGap() const {
        DWORD longest = 0;
        for (size_t i = 1; i < ticks.size(); ++i)
            longest = std::max<DWORD>(longest, ticks[i] - ticks[i - 1]);
        return longest;
    }

    std::vector<DWORD> ticks;
    DWORD endTick = 0;
};

// Fault: the file worker posted a message per block, which the queue takes before timers:
// a fast local source starved the time limit and the once-a-second samples.
TEST_F(WinLocalRunTest, TimeLimitEndsAFastLocalReadOnTimeWithASampleEachSecond) {
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 3;
    Add(kFastSource);
    run.StartTest();
    ASSERT_TRUE(window.PumpUntil([this] { return !run.IsRunning(); }, 20000))
        << "the run did not end; sampler ticks: " << ticks.size();
    const DownloadItem& item = host.items[0];
    EXPECT_EQ(item.status, DownloadStatus::Finished);
    ASSERT_TRUE(item.HasStarted());
    // Ended within 250 ms of the limit, by the item's clock and by the wall clock.
    EXPECT_GE(item.duration, 3000u);
    EXPECT_LT(item.duration, 3250u);
    ASSERT_NE(endTick, 0u);
    EXPECT_LT(endTick - item.startTick, 3250u);
    // Something was read, and fast: a reader that yields does not crawl.
    EXPECT_GT(item.bytes, 64u * 1048576);
    // One sample per second of the download.
    const ItemMeasurements* measured = run.Measurements().ForItem(0);
    ASSERT_NE(measured, nullptr);
    EXPECT_EQ(measured->samples.size(), 3u);
    // The window kept answering: the timer came on time and no message held it long.
    EXPECT_LT(LongestTickGap(), 2 * kSampleMs + 100) << ticks.size() << " ticks";
    EXPECT_LT(window.longestDispatchMs, 250u);
}

// The size limit ends a fast local read in its worker: the count stops within one block
// of the limit instead of running on until the window gets to it.
TEST_F(WinLocalRunTest, SizeLimitEndsAFastLocalReadWithinABlock) {
    settings.UseAutoStopTime = 0;
    settings.UseAutoStopSize = 1;
    settings.AutoStopSize = 200;
    settings.AutoStopSizeUnit = 3;  // MB
    Add(kFastSource);
    run.StartTest();
    ASSERT_TRUE(window.PumpUntil([this] { return !run.IsRunning(); }, 20000));
    const DownloadItem& item = host.items[0];
    EXPECT_EQ(item.status, DownloadStatus::Finished);
    const uint64_t limit = AutoStopSizeBytes(settings);
    EXPECT_GE(item.bytes, limit);
    EXPECT_LT(item.bytes, limit + kFileBlockSize + 1);
}

}  // namespace
}  // namespace vm
