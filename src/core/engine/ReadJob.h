#pragma once
#include <atomic>
#include <cstdint>

#include "core/platform/Clock.h"
#include "core/platform/InternetLibrary.h"

namespace vm {

constexpr uint32_t kWorkerStopWaitMs = 1500;
constexpr uint32_t kPostRetries = 1000;
constexpr uint32_t kPostRetryMs = 10;
// Progress of a read reaches the window at most this often: a post per block would fill
// the queue at link or disk speed, and posted messages are taken before the timer, paint
// and input, so a fast source would freeze the window and its time limit.
constexpr uint32_t kProgressPostMs = 100;

// What a read on a worker thread shares with its transfer: the counts the window reads
// whenever it likes, the moments they were stamped, and how the read ended. The record
// lives until both the transfer and the worker are done with it, so a worker still
// blocked on a slow source never touches freed memory, and its late events carry a
// serial that is no longer live.
struct ReadJob {
    explicit ReadJob(InternetLibrary& poster) : poster(poster) {}
    virtual ~ReadJob() = default;
    ReadJob(const ReadJob&) = delete;
    ReadJob& operator=(const ReadJob&) = delete;

    InternetLibrary& poster;
    Clock* clock = nullptr;  // stamps the moments below as they happen
    uintptr_t window = 0;
    uint32_t message = 0;
    uint32_t flags = 0;
    uint32_t serial = 0;
    // The worker ends the read by itself once it has counted this many bytes (the size
    // limit), as if the data ended there: waiting for the window to stop it would read on
    // at full speed meanwhile.
    uint64_t stopAtBytes = UINT64_MAX;

    std::atomic<bool> stopped{false};
    std::atomic<bool> finished{false};
    // Finished with every byte of the source seen, not cut at the size limit.
    std::atomic<bool> wholeBody{false};
    std::atomic<bool> ended{false};
    std::atomic<uint64_t> bytesRead{0};
    std::atomic<uint64_t> contentLength{0};
    std::atomic<uint32_t> error{0};
    // When the source was accepted and when data was last counted; the events that report
    // them may be handled much later.
    std::atomic<uint32_t> acceptedTick{0};
    std::atomic<FileTime> acceptedTime{0};
    std::atomic<uint32_t> dataTick{0};
    // The same two moments on the microsecond clock, which durations and speeds use.
    std::atomic<uint64_t> acceptedMicro{0};
    std::atomic<uint64_t> dataMicro{0};

    // Posts an event; the end of the attempt is tried again while the queue is full.
    void Post(uint32_t code, uint32_t errorCode = 0);
    void StampAccepted();
    // Counts a block, posts progress when it is due, and tells whether the size limit has
    // been reached.
    bool CountBlock(uint32_t count);

private:
    uint32_t progressTick_ = 0;
};

}  // namespace vm
