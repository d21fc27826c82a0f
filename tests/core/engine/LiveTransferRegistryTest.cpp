#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/engine/DownloadTransfer.h"
#include "core/engine/LiveTransferRegistry.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

TEST(LiveTransferRegistry, SerialsCountUpAndAreNeverReused) {
    test::TransferHarness h;
    uint32_t last = 0;
    for (int i = 0; i < 5; ++i) {
        DownloadTransfer t(h.context);
        EXPECT_EQ(t.Serial(), last + 1);
        EXPECT_TRUE(h.context.registry.IsLive(t.Serial()));
        last = t.Serial();
    }
    EXPECT_FALSE(h.context.registry.IsLive(last));
    EXPECT_EQ(h.context.registry.LiveCount(), 0u);
}

// A library thread held inside its callback (descheduled on a loaded machine) while the
// window destroys the transfer: the destruction neither waits for it nor frees what it
// uses, however long it lasts, and the handle its open delivered is still closed.
TEST(LiveTransferRegistry, DestructionWaitsForARunningCallback) {
    test::TransferHarness h;
    h.net.Respond("http://a/x");
    auto t = std::make_unique<DownloadTransfer>(h.context);
    t->Init(0, WM_TRANSFER_EVENT, kTransferPostEvents);
    ASSERT_TRUE(t->OpenUrl("http://a/x"));
    const uint32_t serial = t->Serial();
    const InternetHandle request = h.net.LastRequest();
    std::atomic<bool> destroyed{false};
    h.net.holdPostsUntil = [&] { return destroyed.load(); };
    std::thread library([&] {
        h.context.registry.DispatchStatus(serial, request, kStatusRequestComplete, request, 0);
    });
    while (h.net.heldPosts.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    t.reset();
    EXPECT_FALSE(h.context.registry.IsLive(serial));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past any bounded wait
    destroyed.store(true);
    library.join();
    h.net.holdPostsUntil = nullptr;
    EXPECT_TRUE(h.net.WasClosed(request));
    test::PostedEvent e;
    while (h.net.PopEvent(&e)) EXPECT_EQ(e.serial, serial);  // for nobody: dropped
}

TEST(LiveTransferRegistry, CallbacksFromManyThreadsWhileTransfersComeAndGo) {
    test::TransferHarness h;
    std::atomic<bool> done{false};
    std::atomic<uint32_t> newest{0};
    std::thread library([&] {
        while (!done.load()) {
            const uint32_t s = newest.load();
            for (uint32_t k = s > 3 ? s - 3 : 1; k <= s; ++k) {
                h.context.registry.DispatchStatus(k, 1, kStatusHandleClosing, 0, 0);
            }
        }
    });
    for (int i = 0; i < 2000; ++i) {
        auto t = std::make_unique<DownloadTransfer>(h.context);
        t->Init(0, WM_TRANSFER_EVENT, kTransferPostEvents);
        newest.store(t->Serial());
    }
    done.store(true);
    library.join();
    test::PostedEvent e;
    while (h.net.PopEvent(&e)) EXPECT_EQ(e.code, EV_HANDLE_CLOSING);
}

}  // namespace
}  // namespace vm
