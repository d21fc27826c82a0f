#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/base/UrlKind.h"
#include "core/engine/PathCapture.h"
#include "core/engine/PhaseStamps.h"
#include "core/engine/ReadSlot.h"
#include "core/engine/TransferState.h"
#include "core/platform/Clock.h"
#include "core/platform/InternetLibrary.h"

namespace vm {

class TransferContext;
struct FtpReadJob;

// A worker's end of an attempt is posted again while the window's queue is full, this
// often, this long apart.
constexpr uint32_t kPostRetries = 1000;
constexpr uint32_t kPostRetryMs = 10;

// How the end of an attempt is posted: once (the GUI and library threads may not wait),
// or, from a worker, again while the queue is full: a lost end would leave the run
// waiting for a time-out.
enum class PostMode { Once, Insist };

// Everything of one attempt that a library callback or a read's worker may touch: the
// state machine (phase and end, changed only through the checked, traced setters below),
// the counts and moments the window reads, and what a completion hands over. The transfer
// holds it, the registry while the transfer is live, a callback while it runs and a
// worker while it reads: whoever lets go last frees it, so however late a callback runs
// it never reaches freed memory, and destroying a transfer never waits for a callback.
//
// Threads: the fields marked "fixed" are set on the GUI thread before the attempt starts
// and only read afterwards; the rest are atomic or behind a mutex, written by the GUI
// thread, a library thread (OnStatus) or the worker. The context outlives every record.
class TransferRecord {
public:
    explicit TransferRecord(TransferContext& context);
    // Closes a request handle that an open completing after the stop left here.
    ~TransferRecord();
    TransferRecord(const TransferRecord&) = delete;
    TransferRecord& operator=(const TransferRecord&) = delete;

    TransferContext& context;
    // Fixed: the serial (given at registration) and where events go.
    uint32_t serial = 0;
    uintptr_t window = 0;
    uint32_t message = 0;
    uint32_t flags = 0;
    SchemeClass scheme = SchemeClass::Other;

    // The machine. A phase change from a known phase that another thread may make at the
    // same time goes through LeavePhase, which only one of them wins.
    TransferPhase Phase() const { return phase_.load(); }
    void SetPhase(TransferPhase to);
    [[nodiscard]] bool LeavePhase(TransferPhase from, TransferPhase to);
    TransferEnd End() const { return end_.load(); }
    bool Reading() const { return end_.load() == TransferEnd::None; }
    // Ends the attempt; the first end is kept, whichever thread got there first. True when
    // this call ended it (a stop of an ended attempt is no change and answers false).
    bool EndAs(TransferEnd to);
    // Ends the attempt as failed and posts EV_FAILED with the error; nothing when it had
    // already ended (the window stopped it meanwhile, say). An error that says the
    // server's reply holds the reason keeps that reply: call it on the failing thread.
    void Fail(uint32_t error, PostMode mode = PostMode::Once);
    // The same, the server's reply left as it was kept.
    void EndFailed(uint32_t error, PostMode mode = PostMode::Once);
    // Finished: stamps the data's end (on both clocks) and posts EV_FINISHED, unless it had
    // already ended.
    void Finish(uint32_t dataEndTick, uint64_t dataEndMicro, bool wholeBody,
                PostMode mode = PostMode::Once);
    void Trace(const char* what, const char* from, const char* to);
    // A fresh start (Init): back to no phase and no end, untraced.
    void Reset();

    // Posts one of the attempt's events (with EV_FAILED, its error is kept first); false
    // when the queue refused it.
    bool Post(uint32_t code, uint32_t error = 0, PostMode mode = PostMode::Once);

    // The status callback's work, on a library thread (through the registry). info: the
    // text a status hands over (the connected address).
    void OnStatus(InternetHandle handle, uint32_t status, uintptr_t result, uint32_t error,
                  std::string_view info = {});

    // Keeps the server's reply when the error says it holds the reason (the library keeps
    // it for the thread that failed: call this there).
    void KeepServerReply(uint32_t* error);
    void KeepServerReply(std::string reply);
    std::string ServerReply() const;

    // The FTP worker that takes the library's completions while it reads; none: OnStatus
    // handles them.
    void SetWorkerCalls(const std::shared_ptr<FtpReadJob>& job);

    std::atomic<InternetHandle> request{0};
    std::atomic<uint32_t> error{0};
    // What a completion hands to the GUI thread: the count a query announced, the count a
    // read brought, and the size of the read that waits.
    std::atomic<uint32_t> available{0};
    std::atomic<uint32_t> completedCount{0};
    std::atomic<uint32_t> readSize{0};
    // What a pending call writes into: kept past the record (retired) while it may.
    const std::shared_ptr<ReadSlot> slot;
    PhaseStamps phases;
    // Which server answered: the address from the library's thread, the rest from the GUI
    // thread once the open has completed.
    PathCapture path;

    // The counts and moments the window reads whenever it likes; stamped where they happen
    // (on a fast link the events that report them are handled a whole turn later).
    std::atomic<uint64_t> bytesRead{0};
    std::atomic<uint64_t> contentLength{0};
    std::atomic<bool> lengthUndeclared{false};
    // Finished with every byte of the source seen (see ItemMeasurements::complete).
    std::atomic<bool> wholeBody{false};
    std::atomic<uint32_t> acceptedTick{0};
    std::atomic<FileTime> acceptedTime{0};
    std::atomic<uint32_t> dataTick{0};
    // The same two moments on the microsecond clock, which durations and speeds use.
    std::atomic<uint64_t> acceptedMicro{0};
    std::atomic<uint64_t> dataMicro{0};
    // The transfer has gone: a worker no longer insists on posting its end.
    std::atomic<bool> abandoned{false};

    // Stamps the acceptance of the response (or the opening of the file) now.
    void StampAccepted();

private:
    // The open completed (or failed) on the library's thread.
    void OnOpenCompleted(uintptr_t result, uint32_t error);
    // A waiting query or read completed on the library's thread.
    void OnCallCompleted(TransferPhase pending, uintptr_t result, uint32_t error);
    // The open failed: closes what the library announced for it, keeps the server's reply.
    void FailOpen(uint32_t error, uint32_t fallback);

    std::atomic<TransferPhase> phase_{TransferPhase::None};
    std::atomic<TransferEnd> end_{TransferEnd::None};
    mutable std::mutex replyMutex_;  // the reply is kept on a library or worker thread
    std::string serverReply_;
    std::mutex workerMutex_;
    std::weak_ptr<FtpReadJob> workerCalls_;
};

}  // namespace vm
