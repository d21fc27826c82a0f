#include "core/engine/FtpReadJob.h"

#include "core/engine/ServerReply.h"
#include "core/engine/TransferContext.h"
#include "core/engine/TransferEvent.h"

namespace vm {

void FtpReadJob::Run() {
    record->slot->buffer.resize(kMaxFtpRead);
    uint32_t failure = 0;
    bool dataEnded = false;
    bool limitReached = false;
    uint32_t emptyReads = 0;
    while (!dataEnded && !limitReached && failure == 0 && !Stopped()) {
        uint32_t available = 0;
        if (!Query(&available, &failure)) break;
        if (available == 0) {
            dataEnded = true;
            break;
        }
        // One read per query, of what was announced up to a block. Reading out the rest of
        // a larger announcement without asking again drains the socket in a small read
        // after each block, which costs Wine's loopback FTP more CPU than a fresh query.
        const uint32_t size = available < kMaxFtpRead ? available : kMaxFtpRead;
        uint32_t count = 0;
        if (!Read(size, &count, &failure)) break;
        if (count == 0) {
            // Nothing although data was announced: ask again before taking it as the end.
            dataEnded = ++emptyReads >= kMaxEmptyFtpReads;
            continue;
        }
        emptyReads = 0;
        limitReached = CountBlock(count);
        if (declaredLength != 0 && record->bytesRead.load() >= declaredLength) dataEnded = true;
    }
    End(failure, limitReached);
}

void FtpReadJob::End(uint32_t failure, bool cutAtLimit) {
    InternetLibrary& net = record->context.net;
    // The library keeps the server's reply for the thread that failed (this one), and
    // the close below replaces it.
    if (failure == kErrorExtendedError) record->KeepServerReply(&failure);
    // The data ended now; the close below may take a while.
    const uint32_t endTick = record->context.clock.TickCount();
    const uint64_t endMicro = record->context.clock.MicroCount();
    // Closed here and now: the close reads the server's last reply into this thread's
    // keeping, and it is over (the cache copy removed too) before the window hears of the
    // end, after which the run and the process may end.
    net.CloseHandleHere(request);
    if (Stopped()) {
        workerDone.store(true);
        return;
    }
    const uint64_t bytes = record->bytesRead.load();
    if (failure == 0 && !cutAtLimit) {
        if (declaredLength != 0 && bytes < declaredLength) {
            failure = kErrorConnectionAborted;  // ended before the declared length: truncated
        } else if (std::string refusal = TakeFailedTransferReply(net); !refusal.empty()) {
            // The data connection ended, but the server says the transfer failed.
            record->KeepServerReply(std::move(refusal));
            failure = kErrorExtendedError;
        }
    }
    if (failure != 0) {
        record->EndFailed(failure, PostMode::Insist);
    } else {
        record->Finish(endTick, endMicro, declaredLength != 0 && bytes >= declaredLength,
                       PostMode::Insist);
    }
    workerDone.store(true);
}

template <typename Call>
bool FtpReadJob::CallLibrary(TransferPhase phase, Call call, uint32_t* carried, uint32_t* failure) {
    *carried = 0;
    if (!BeginCall(phase)) return false;
    if (call()) {
        EndCall();
        return true;
    }
    const uint32_t error = record->context.net.LastError();
    if (error != kErrorIoPending) {
        EndCall();
        *failure = error != 0 ? error : kErrorInternetInternal;
        return false;
    }
    return AwaitCompletion(carried, failure);
}

bool FtpReadJob::Query(uint32_t* available, uint32_t* failure) {
    ReadSlot& slot = *record->slot;
    slot.queryCount = 0;
    uint32_t carried = 0;
    const auto query = [this, &slot] {
        return record->context.net.QueryDataAvailable(request, &slot.queryCount);
    };
    if (!CallLibrary(TransferPhase::PendingData, query, &carried, failure)) return false;
    // A waiting query brings its count in the completion's error field.
    *available = carried != 0 ? carried : slot.queryCount;
    return true;
}

bool FtpReadJob::Read(uint32_t size, uint32_t* count, uint32_t* failure) {
    ReadSlot& slot = *record->slot;
    slot.readCount = 0;
    uint32_t carried = 0;
    const auto read = [this, &slot, size] {
        return record->context.net.ReadFile(request, slot.buffer.data(), size, &slot.readCount);
    };
    if (!CallLibrary(TransferPhase::PendingRead, read, &carried, failure)) return false;
    // Wine may leave a waiting read's count only in the completion's error field.
    *count = slot.readCount != 0 ? slot.readCount : (carried <= size ? carried : 0);
    return true;
}

bool FtpReadJob::BeginCall(TransferPhase phase) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Stopped()) return false;
    record->SetPhase(phase);
    completed_ = false;
    return true;
}

void FtpReadJob::EndCall() {
    std::lock_guard<std::mutex> lock(mutex_);
    record->SetPhase(TransferPhase::None);
}

bool FtpReadJob::AwaitCompletion(uint32_t* count, uint32_t* failure) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return completed_ || stopSeen_; });
    if (!completed_) return false;  // stopped: the call stays under way until the close
    // A waiting call succeeded when its result is nonzero, whatever the error field holds:
    // Wine gives an FTP query the file handle as its result and the count as the error.
    if (result_ == 0 && resultError_ != 0) {
        *failure = resultError_;
        return false;
    }
    *count = resultError_;
    return true;
}

void FtpReadJob::OnCompletion(uintptr_t result, uint32_t errorCode) {
    std::lock_guard<std::mutex> lock(mutex_);
    const TransferPhase pending = record->Phase();
    if (pending == TransferPhase::None || completed_) return;  // no call waits for it
    record->SetPhase(TransferPhase::None);
    completed_ = true;
    result_ = result;
    resultError_ = errorCode;
    changed_.notify_all();
}

bool FtpReadJob::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool first = !stopSeen_;
    stopSeen_ = true;
    changed_.notify_all();
    return first && record->Phase() != TransferPhase::None;
}

void RunFtpReadJob(void* argument) {
    auto* job = static_cast<std::shared_ptr<FtpReadJob>*>(argument);
    (*job)->Run();
    delete job;
}

}  // namespace vm
