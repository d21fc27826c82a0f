#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/engine/TestRun.h"
#include "support/AllocationCounter.h"
#include "support/FakeMessageTable.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

// A library whose every open waits and is then refused through the callback, as Wine
// refuses a closed port, and that records nothing: the heap holds only the program's.
class RefusingInternet : public test::ScriptedInternet {
public:
    using ScriptedInternet::ScriptedInternet;
    InternetHandle lastRequest = 0x5000;

    InternetHandle OpenUrl(InternetHandle, const char*, const char*, uint32_t, uint32_t) override {
        ++lastRequest;
        return 0;
    }
    bool SetTimeoutOption(InternetHandle, uint32_t, uint32_t) override { return true; }
    bool CloseHandle(InternetHandle) override { return true; }
    uint32_t LastError() override { return kErrorIoPending; }
};

class ListHost : public TestRunHost {
public:
    std::vector<DownloadItem> items;
    DownloadItem* ItemAt(size_t i) override { return i < items.size() ? &items[i] : nullptr; }
    void Refresh() override {}
    void OnRunStateChanged() override {}
    void OnRunEnded() override {}
};

class RunMemoryTest : public ::testing::Test {
protected:
    test::FakeClock clock;
    RefusingInternet net{clock};
    test::FakeLocalFiles files;
    TransferContext context{net, files, clock};
    test::FakeMessageTable messages;
    AppSettings settings;
    ListHost host;
    TestRun run{host, settings, clock, messages, context, 0x55};

    void RefuseCurrent() {
        const uint32_t serial = run.CurrentTransfer()->Serial();
        context.registry.DispatchStatus(serial, 0, kStatusHandleCreated, net.lastRequest, 0);
        context.registry.DispatchStatus(serial, net.lastRequest, kStatusRequestComplete, 0, 12029);
        test::PostedEvent e;
        while (net.PopEvent(&e)) run.OnTransferEvent(e.code, e.serial);
    }
};

// A list of 100,000 refused items grew by several hundred bytes an item: each kept a copy
// of its result beside the item, then its own copy of the error text. A refused item now
// keeps nothing beyond its record: items that failed the same way share one text.
TEST_F(RunMemoryTest, ARefusedItemKeepsNothingBeyondItsRecord) {
    constexpr size_t kItems = 3000, kMark = 1000;
    for (size_t i = 0; i < kItems; ++i)
        host.items.emplace_back("http://127.0.0.1:9/x", "", static_cast<int32_t>(i));
    run.StartTest();
    long atMark = 0;
    for (size_t done = 0; run.IsRunning(); ++done) {
        if (done == kMark) atMark = test::LiveHeapBytes();
        RefuseCurrent();
    }
    ASSERT_EQ(host.items.back().status, DownloadStatus::Failed);
    EXPECT_TRUE(host.items.back().errorText.SharesWith(host.items.front().errorText));
    EXPECT_EQ((test::LiveHeapBytes() - atMark) / long{kItems - kMark}, 0);
}

}  // namespace
}  // namespace vm
