#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "core/engine/FileReadJob.h"
#include "core/engine/TransferEvent.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

using test::PostedEvent;

// Records the byte count at the moment of each post.
class CountingPoster : public test::ScriptedInternet {
public:
    using ScriptedInternet::ScriptedInternet;
    FileReadJob* job = nullptr;
    std::vector<std::pair<uint32_t, uint64_t>> posts;
    bool PostEvent(uintptr_t window, uint32_t message, uint32_t code, uint32_t serial) override {
        posts.emplace_back(code, job->record->bytesRead.load());
        return ScriptedInternet::PostEvent(window, message, code, serial);
    }
};

// Files whose every read takes a given time on the fake clock.
class SteppingFiles : public test::FakeLocalFiles {
public:
    explicit SteppingFiles(test::FakeClock& clock) : clock_(clock) {}
    uint32_t stepMs = 0;
    bool ReadBlock(FileRef file, void* buffer, uint32_t size, uint32_t* count) override {
        clock_.Advance(stepMs);
        return FakeLocalFiles::ReadBlock(file, buffer, size, count);
    }

private:
    test::FakeClock& clock_;
};

class FileReadJobTest : public ::testing::Test {
protected:
    test::FakeClock clock;
    CountingPoster poster{clock};
    SteppingFiles files{clock};
    TransferContext context{poster, files, clock};

    std::vector<std::pair<uint32_t, uint64_t>> RunJob(const std::string& path,
                                                      uint64_t stopAtBytes = UINT64_MAX) {
        auto record = std::make_shared<TransferRecord>(context);
        record->flags = kTransferPostEvents | kTransferPostProgress;
        FileReadJob job(record, files);
        poster.job = &job;
        job.path = path;
        job.stopAtBytes = stopAtBytes;
        job.Run();
        EXPECT_TRUE(job.workerDone.load());
        lastError = record->error.load();
        lastWholeBody = record->End() == TransferEnd::Finished && record->wholeBody.load();
        return poster.posts;
    }
    uint32_t lastError = 0;
    bool lastWholeBody = false;
};

using Posts = std::vector<std::pair<uint32_t, uint64_t>>;

// Progress is posted at most once per 100 ms of reading, whatever the disk's speed: a
// fast source must not flood the window's queue.
TEST_F(FileReadJobTest, ProgressIsPostedByTimeNotPerBlock) {
    struct Case {
        uint32_t stepMs;
        Posts expected;
    };
    const Case cases[] = {
        {0, {{EV_RESPONSE_ACCEPTED, 0}, {EV_FINISHED, 200000}}},
        {40, {{EV_RESPONSE_ACCEPTED, 0}, {EV_PROGRESS, 196608}, {EV_FINISHED, 200000}}},
        {100,
         {{EV_RESPONSE_ACCEPTED, 0},
          {EV_PROGRESS, 65536},
          {EV_PROGRESS, 131072},
          {EV_PROGRESS, 196608},
          {EV_PROGRESS, 200000},
          {EV_FINISHED, 200000}}},
    };
    for (const Case& c : cases) {
        poster.posts.clear();
        files.stepMs = c.stepMs;
        files.sizes["C:\\f"] = 200000;
        EXPECT_EQ(RunJob("C:\\f"), c.expected) << c.stepMs;
    }
    EXPECT_EQ(files.Closes(1), 1);
    EXPECT_EQ(files.lastBufferAddress % kSectorAlignment, 0u);
}

// The size limit ends the read in the worker, at the first block that reaches it; a read
// cut there has not seen the whole file.
TEST_F(FileReadJobTest, TheWorkerStopsAtTheSizeLimit) {
    struct Case {
        uint64_t limit;
        uint64_t counted;
    };
    const Case cases[] = {{0, 65536},       {1, 65536},        {65536, 65536},    {65537, 131072},
                          {100000, 131072}, {999999, 1000000}, {5000000, 1000000}};
    for (const Case& c : cases) {
        poster.posts.clear();
        files.sizes["C:\\big"] = 1000000;
        const Posts posts = RunJob("C:\\big", c.limit);
        ASSERT_FALSE(posts.empty());
        EXPECT_EQ(posts.back(), (std::pair<uint32_t, uint64_t>{EV_FINISHED, c.counted})) << c.limit;
        EXPECT_EQ(lastWholeBody, c.counted == 1000000) << c.limit;
    }
    for (FileRef f = 1; f <= files.FileCount(); ++f) EXPECT_EQ(files.Closes(f), 1) << f;
}

TEST_F(FileReadJobTest, EmptyFileIsAcceptedAndFinished) {
    files.sizes["C:\\empty"] = 0;
    const std::vector<std::pair<uint32_t, uint64_t>> expected = {{EV_RESPONSE_ACCEPTED, 0},
                                                                 {EV_FINISHED, 0}};
    EXPECT_EQ(RunJob("C:\\empty"), expected);
}

TEST_F(FileReadJobTest, MissingFileFailsWithTheSystemError) {
    const std::vector<std::pair<uint32_t, uint64_t>> expected = {{EV_FAILED, 0}};
    EXPECT_EQ(RunJob("C:\\missing"), expected);
    EXPECT_EQ(lastError, 2u);
    EXPECT_EQ(files.FileCount(), 0u);
}

TEST_F(FileReadJobTest, ReadErrorFinishesWithTheBytesSoFar) {
    files.sizes["C:\\bad"] = 1000000;
    files.failReadAfter = 2;
    const auto posts = RunJob("C:\\bad");
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), (std::pair<uint32_t, uint64_t>{EV_FINISHED, 131072}));
}

TEST_F(FileReadJobTest, TheEndIsPostedEvenWhenTheQueueIsFullForAWhile) {
    files.sizes["C:\\f"] = 100000;
    files.stepMs = 100;
    poster.refusePosts = 3;  // the acceptance is tried until the queue takes it
    RunJob("C:\\f");
    std::vector<uint32_t> codes;
    test::PostedEvent e;
    while (poster.PopEvent(&e)) codes.push_back(e.code);
    EXPECT_EQ(codes,
              (std::vector<uint32_t>{EV_RESPONSE_ACCEPTED, EV_PROGRESS, EV_PROGRESS, EV_FINISHED}));
}

class LocalTransferTest : public ::testing::Test {
protected:
    test::TransferHarness h;

    std::unique_ptr<DownloadTransfer> Start(const std::string& path) {
        auto t = std::make_unique<DownloadTransfer>(h.context);
        t->Init(0x55, WM_TRANSFER_EVENT, kTransferPostEvents | kTransferPostProgress);
        EXPECT_TRUE(t->StartFileRead(path));
        return t;
    }
};

TEST_F(LocalTransferTest, StopDuringABlockedReadWaitsBoundedAndTheWorkerOutlivesTheTransfer) {
    h.files.sizes["\\\\slow\\share\\f"] = 10000000;
    h.files.CloseGate(3);  // the third read blocks, like a stalled share
    auto t = Start("\\\\slow\\share\\f");
    const uint32_t serial = t->Serial();
    ASSERT_TRUE(h.files.WaitForReads(3));
    const auto before = std::chrono::steady_clock::now();
    t.reset();  // stop waits at most 1,500 ms, then the transfer is gone
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(1400));
    EXPECT_LT(waited, std::chrono::milliseconds(5000));
    EXPECT_EQ(h.files.Releases(1), 1);
    h.files.OpenGate();
    ASSERT_TRUE(h.files.WaitForWorkersEnded());
    EXPECT_EQ(h.files.Closes(1), 1);
    EXPECT_EQ(h.files.Releases(1), 1);
    EXPECT_EQ(h.files.misuse, 0);
    EXPECT_FALSE(h.context.registry.IsLive(serial));
}

TEST_F(LocalTransferTest, StopEndsTheWorkerWithoutCountingTheLastBlock) {
    h.files.sizes["C:\\big"] = 100000000;
    h.files.CloseGate(3);
    auto t = Start("C:\\big");
    ASSERT_TRUE(h.files.WaitForReads(3));
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        h.files.OpenGate();
    });
    const uint64_t counted = t->BytesRead();
    t->StopTransfer();  // the worker sees the stop after its blocked read
    opener.join();
    EXPECT_TRUE(h.files.WaitForWorkersEnded());
    EXPECT_EQ(t->BytesRead(), counted);
    EXPECT_EQ(t->End(), TransferEnd::Stopped);  // the stop came first and is kept
    EXPECT_EQ(h.files.Closes(1), 1);
    t.reset();
    EXPECT_EQ(h.files.Releases(1), 1);
}

TEST_F(LocalTransferTest, AWorkerThatCannotStartPostsNothing) {
    h.files.threadStartFails = true;
    auto t = std::make_unique<DownloadTransfer>(h.context);
    t->Init(0x55, WM_TRANSFER_EVENT, kTransferPostEvents);
    EXPECT_FALSE(t->StartFileRead("C:\\f"));
    t.reset();
    EXPECT_EQ(h.net.QueuedEvents(), 0u);
}

}  // namespace
}  // namespace vm
