#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "core/engine/DownloadTransfer.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

// A library thread that delivers completions a little later, as a loaded machine would:
// often after the window has stopped or destroyed the transfer they belong to.
class LateLibrary {
public:
    explicit LateLibrary(test::TransferHarness& h) : h_(h), thread_([this] { Run(); }) {}
    ~LateLibrary() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void Deliver(uint32_t serial, InternetHandle handle, uint32_t status, uintptr_t result,
                 uint32_t error) {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({serial, handle, status, result, error});
        changed_.notify_all();
    }

private:
    struct Call {
        uint32_t serial;
        InternetHandle handle;
        uint32_t status;
        uintptr_t result;
        uint32_t error;
    };
    void Run() {
        std::minstd_rand random(7);
        for (;;) {
            Call call{};
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return done_ || !queue_.empty(); });
                if (queue_.empty()) return;
                call = queue_.front();
                queue_.pop_front();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
            h_.context.registry.DispatchStatus(call.serial, call.handle, call.status, call.result,
                                               call.error);
        }
    }

    test::TransferHarness& h_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Call> queue_;
    bool done_ = false;
    std::thread thread_;
};

// 2,000 attempts of every kind (http, an answer that is no response, FTP on its worker, a local
// file on its worker) ended by every means (stop, the time-out, destruction, their own
// end) while completions arrive late on a library thread: nothing may reach freed memory
// (run under the sanitizers: ASan, and TSan with VM_TSAN) and nothing stays registered.
TEST(TransferStress, AttemptsEndedEveryWayWhileCallbacksComeLate) {
    test::TransferHarness h;
    const char* const targets[] = {"http://a/ok", "http://a/invalid", "ftp://a/f", "C:\\f"};
    test::ScriptedResponse& ok = h.net.Respond("http://a/ok");
    ok.contentLength = "300000";
    ok.bodyBytes = 300000;
    ok.arrivalChunk = 65536;
    test::ScriptedResponse& invalid = h.net.Respond("http://a/invalid");
    invalid.status = 0;
    test::ScriptedResponse& ftp = h.net.Respond("ftp://a/f");
    ftp.status.reset();
    ftp.bodyBytes = 300000;
    ftp.announce = 100000;
    h.files.sizes["C:\\f"] = 300000;
    std::minstd_rand random(11);
    {
        LateLibrary library(h);
        for (int i = 0; i < 2000; ++i) {
            const std::string target = targets[i % 4];
            auto t = std::make_unique<DownloadTransfer>(h.context);
            t->Init(0x55, WM_TRANSFER_EVENT, kTransferPostEvents | kTransferPostProgress);
            if (target[0] == 'C') {
                ASSERT_TRUE(t->StartFileRead(target));
            } else {
                ASSERT_TRUE(t->OpenUrl(target));
                const InternetHandle request = h.net.LastRequest();
                library.Deliver(t->Serial(), request, kStatusHandleCreated, request, 0);
                library.Deliver(t->Serial(), request, kStatusRequestComplete, request, 0);
            }
            // The window handles what has come so far, then ends the attempt one way.
            const uint32_t turns = random() % 4;
            for (uint32_t turn = 0; turn < turns; ++turn) {
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
                test::PostedEvent e;
                while (h.net.PopEvent(&e)) {
                    if (e.serial == t->Serial() && e.code >= kFirstInternalEvent)
                        t->HandleInternalEvent(e.code);
                }
            }
            switch (random() % 3) {
                case 0:
                    t->StopTransfer();
                    break;
                case 1:
                    (void)t->FailTimedOut();
                    break;
                default:
                    break;  // destroyed as it stands
            }
            const InternetHandle closing = h.net.LastRequest();
            t.reset();
            library.Deliver(0, closing, kStatusHandleClosing, 0, 0);
        }
    }
    EXPECT_TRUE(h.files.WaitForWorkersEnded());
    EXPECT_EQ(h.context.registry.LiveCount(), 0u);
    EXPECT_EQ(h.context.RootUsers(), 0u);
}

}  // namespace
}  // namespace vm
