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

// Destruction waits for a callback that is running on another thread.
TEST(LiveTransferRegistry, DestructionWaitsForARunningCallback) {
    test::TransferHarness h;
    h.net.Respond("http://a/x");
    auto t = std::make_unique<DownloadTransfer>(h.context);
    t->Init(0, WM_TRANSFER_EVENT, kTransferPostEvents);
    t->OpenUrl("http://a/x");
    const uint32_t serial = t->Serial();
    t->callbacksRunning.fetch_add(1);  // as if a callback were running
    std::atomic<bool> destroyed{false};
    std::thread gui([&] {
        t.reset();
        destroyed.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(destroyed.load());
    EXPECT_FALSE(h.context.registry.IsLive(serial));
    // The bounded wait gives up after about 201 ms even if the count never drops.
    gui.join();
    EXPECT_TRUE(destroyed.load());
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
