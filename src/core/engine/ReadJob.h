#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/engine/TransferRecord.h"

namespace vm {

constexpr uint32_t kWorkerStopWaitMs = 1500;
// Progress of a read reaches the window at most this often: a post per block would fill
// the queue at link or disk speed, and posted messages are taken before the timer, paint
// and input, so a fast source would freeze the window and its time limit.
constexpr uint32_t kProgressPostMs = 100;

// A read on a worker thread (a local file, an FTP download once opened). It counts into
// its attempt's record and ends the attempt's machine there, as a read on the GUI thread
// does; it reads until the attempt has ended, whoever ended it (the window's stop or
// time-out included). The worker holds the record and this job, so one still blocked on a
// slow source never touches freed memory, and its late events carry a serial that is no
// longer live.
struct ReadJob {
    explicit ReadJob(std::shared_ptr<TransferRecord> record) : record(std::move(record)) {}
    virtual ~ReadJob() = default;
    ReadJob(const ReadJob&) = delete;
    ReadJob& operator=(const ReadJob&) = delete;

    const std::shared_ptr<TransferRecord> record;
    // The worker ends the read by itself once it has counted this many bytes (the size
    // limit), as if the data ended there: waiting for the window to stop it would read on
    // at full speed meanwhile.
    uint64_t stopAtBytes = UINT64_MAX;
    // The worker has made its last call and let its file or handle go. Not the attempt's
    // end, which a stop may set long before.
    std::atomic<bool> workerDone{false};

    // The attempt has ended: the worker makes no further call.
    bool Stopped() const { return !record->Reading(); }
    void StampAccepted();
    // Counts a block, posts progress when it is due, and tells whether the size limit has
    // been reached.
    bool CountBlock(uint32_t count);

private:
    uint32_t progressTick_ = 0;
};

}  // namespace vm
