#include "core/engine/TransferRecord.h"

#include <chrono>
#include <thread>

#include "core/engine/FtpReadJob.h"
#include "core/engine/ServerReply.h"
#include "core/engine/TransferContext.h"
#include "core/engine/TransferEvent.h"

namespace vm {

TransferRecord::TransferRecord(TransferContext& context)
    : context(context), slot(std::make_shared<ReadSlot>()) {}

TransferRecord::~TransferRecord() {
    const InternetHandle late = request.exchange(0);
    if (late != 0) context.net.CloseHandle(late);
}

void TransferRecord::Reset() {
    phase_.store(TransferPhase::None);
    end_.store(TransferEnd::None);
    error.store(0);
    available.store(0);
    bytesRead.store(0);
    contentLength.store(0);
    lengthUndeclared.store(false);
    wholeBody.store(false);
}

void TransferRecord::SetPhase(TransferPhase to) {
    const TransferPhase from = phase_.exchange(to);
    CheckChange(IsLegalChange(from, to), "phase", NameOf(from), NameOf(to));
    Trace("phase", NameOf(from), NameOf(to));
}

bool TransferRecord::LeavePhase(TransferPhase from, TransferPhase to) {
    TransferPhase expected = from;
    if (!phase_.compare_exchange_strong(expected, to)) return false;
    CheckChange(IsLegalChange(from, to), "phase", NameOf(from), NameOf(to));
    Trace("phase", NameOf(from), NameOf(to));
    return true;
}

bool TransferRecord::EndAs(TransferEnd to) {
    TransferEnd from = TransferEnd::None;
    if (!end_.compare_exchange_strong(from, to)) {
        // Ended already. Stopping an ended attempt only releases what it holds; any other
        // end lost a race with one on another thread (the window's stop, a failure the
        // library reported), and the first is kept.
        return false;
    }
    CheckChange(IsLegalChange(from, to), "end", NameOf(from), NameOf(to));
    Trace("end", NameOf(from), NameOf(to));
    return true;
}

void TransferRecord::Fail(uint32_t failure, PostMode mode) {
    if (failure == kErrorExtendedError) KeepServerReply(&failure);
    EndFailed(failure, mode);
}

void TransferRecord::EndFailed(uint32_t failure, PostMode mode) {
    if (EndAs(TransferEnd::Failed)) Post(EV_FAILED, failure, mode);
}

void TransferRecord::Finish(uint32_t dataEndTick, uint64_t dataEndMicro, bool whole,
                            PostMode mode) {
    dataTick.store(dataEndTick);
    dataMicro.store(dataEndMicro);
    wholeBody.store(whole);
    if (EndAs(TransferEnd::Finished)) Post(EV_FINISHED, 0, mode);
}

void TransferRecord::Trace(const char* what, const char* from, const char* to) {
    if (!context.traceChanges) return;
    char line[kMaxTraceLine];
    FormatChange(line, "transfer", serial, what, from, to);
    context.net.DebugOutput(line);
}

bool TransferRecord::Post(uint32_t code, uint32_t failure, PostMode mode) {
    if ((flags & kTransferPostEvents) == 0) return true;
    if (failure != 0) error.store(failure);
    if (context.net.PostEvent(window, message, code, serial)) return true;
    if (mode == PostMode::Once) return false;
    // A full message queue must not swallow the end of the attempt: try again while the
    // window drains it, for as long as the transfer is there to hear of it.
    for (uint32_t i = 0; i < kPostRetries && !abandoned.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPostRetryMs));
        if (context.net.PostEvent(window, message, code, serial)) return true;
    }
    return false;
}

void TransferRecord::StampAccepted() {
    acceptedTime.store(context.clock.SystemTimeUtc());
    const uint32_t now = context.clock.TickCount();
    acceptedTick.store(now);
    dataTick.store(now);
    const uint64_t micro = context.clock.MicroCount();
    acceptedMicro.store(micro);
    dataMicro.store(micro);
}

void TransferRecord::KeepServerReply(uint32_t* failure) {
    std::string reply = TakeServerReply(context.net, failure);
    if (!reply.empty()) KeepServerReply(std::move(reply));
}

void TransferRecord::KeepServerReply(std::string reply) {
    std::lock_guard<std::mutex> lock(replyMutex_);
    serverReply_ = std::move(reply);
}

std::string TransferRecord::ServerReply() const {
    std::lock_guard<std::mutex> lock(replyMutex_);
    return serverReply_;
}

void TransferRecord::SetWorkerCalls(const std::shared_ptr<FtpReadJob>& job) {
    std::lock_guard<std::mutex> lock(workerMutex_);
    workerCalls_ = job;
}

void TransferRecord::OnStatus(InternetHandle, uint32_t status, uintptr_t result, uint32_t failure,
                              std::string_view info) {
    if (status == kStatusConnectedToServer) path.OnConnected(info);
    if (phases.Stamp(status, context.clock.TickCount(), context.clock.MicroCount())) return;
    if (status == kStatusHandleClosing) {
        Post(EV_HANDLE_CLOSING);
        return;
    }
    if (status == kStatusConnectionClosed) {
        // Wine never completes an FTP open whose connection or login the server refused:
        // the session's connection closing while the open waits is the only sign of it.
        if (scheme == SchemeClass::Ftp &&
            LeavePhase(TransferPhase::PendingOpen, TransferPhase::None))
            FailOpen(0, kErrorCannotConnect);  // the library's own code, if it kept one
        return;
    }
    if (status != kStatusRequestComplete) return;
    std::shared_ptr<FtpReadJob> worker;
    {
        std::lock_guard<std::mutex> lock(workerMutex_);
        worker = workerCalls_.lock();
    }
    if (worker) {
        worker->OnCompletion(result, failure);
        return;
    }
    const TransferPhase pending = Phase();
    if (pending == TransferPhase::PendingOpen) {
        OnOpenCompleted(result, failure);
    } else if (pending != TransferPhase::None) {
        OnCallCompleted(pending, result, failure);
    }
}

void TransferRecord::OnOpenCompleted(uintptr_t result, uint32_t failure) {
    // Only one report ends the open, should a closing connection race it.
    if (!LeavePhase(TransferPhase::PendingOpen, TransferPhase::None)) return;
    if (failure != 0 || result == 0) {
        FailOpen(failure, kErrorInternetInternal);
        return;
    }
    (void)context.registry.TakeAnnounced(serial);  // delivered: ours now
    request.store(result);
    Post(EV_OPEN_COMPLETE);
}

// A query or read that waited succeeded when its result is nonzero, whatever the error
// field holds: the library gives HTTP queries 1 and FTP queries the file handle as their
// result, and the byte count in the error field.
void TransferRecord::OnCallCompleted(TransferPhase pending, uintptr_t result, uint32_t failure) {
    if (result == 0 && failure != 0) {
        if (LeavePhase(pending, TransferPhase::None)) Fail(failure);
        return;
    }
    uint32_t code = EV_READ_COMPLETE;
    if (pending == TransferPhase::PendingData) {
        available.store(failure != 0 ? failure : slot->queryCount);
        code = EV_DATA_AVAILABLE;
    } else {
        uint32_t count = 0;
        if (pending == TransferPhase::PendingRead) {
            count = slot->readCount;
            if (count == 0 && failure <= readSize.load()) count = failure;
        }
        completedCount.store(count);
    }
    if (LeavePhase(pending, TransferPhase::None)) Post(code);
}

void TransferRecord::FailOpen(uint32_t failure, uint32_t fallback) {
    KeepServerReply(&failure);  // kept for the thread that failed: this one
    if (failure == 0) failure = fallback;
    const InternetHandle announced = context.registry.TakeAnnounced(serial);
    if (announced != 0) context.net.CloseHandle(announced);
    EndFailed(failure);
}

}  // namespace vm
