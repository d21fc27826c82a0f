#pragma once
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/engine/ReadJob.h"
#include "core/engine/TransferState.h"

namespace vm {

// Largest FTP read: the library announces what has arrived, so the read never waits with
// data in hand, and on a fast link fewer reads cost less.
constexpr uint32_t kMaxFtpRead = 1024 * 1024;
// Reads that bring nothing although data was announced, in a row, before the data is
// taken to have ended (Wine now and then completes a read without its count).
constexpr uint32_t kMaxEmptyFtpReads = 2;

// An FTP download's reading, on a worker thread: the availability query, then a read of
// exactly what it announced (at most a block), until the data ends. The library's FTP query waits
// on the calling thread until a byte arrives, and its reads wait there for their whole block, so
// neither may run on the GUI thread; here they cost no thread hand-off per batch, and the
// window reads the counts on its own time. Its calls' phases are the attempt's, and the
// library's completions come to it through the record while it reads. The worker owns
// the request handle from its start and closes it when it ends; a server that says at the end that
// the transfer failed ("426 ...") fails the download, although its data connection ended as usual.
struct FtpReadJob : ReadJob {
    FtpReadJob(std::shared_ptr<TransferRecord> record, InternetHandle request)
        : ReadJob(std::move(record)), request(request) {}

    const InternetHandle request;
    // The announced length (0: none); the data ending before it is a failure.
    uint64_t declaredLength = 0;

    void Run();
    // On a library thread: a query or read that went pending has completed.
    void OnCompletion(uintptr_t result, uint32_t errorCode);
    // On the GUI thread, once the attempt has ended. True, on the first stop only, when a
    // library call is under way, whose slot the library may still write into until the
    // handle has closed.
    [[nodiscard]] bool Stop();

private:
    // Marks a call as under way (the attempt's phase); false once the attempt has ended,
    // so no call starts after a stop.
    bool BeginCall(TransferPhase phase);
    void EndCall();
    // A call answered ERROR_IO_PENDING: waits for its completion or the stop; false when
    // stopped, or when the completion carries an error (in *failure).
    bool AwaitCompletion(uint32_t* count, uint32_t* failure);
    // Makes one library call that may go pending: true when it succeeded, with the count a
    // completion carried in its error field (0 when it answered at once); false when
    // stopped, or failed (*failure).
    template <typename Call>
    bool CallLibrary(TransferPhase phase, Call call, uint32_t* carried, uint32_t* failure);
    bool Query(uint32_t* available, uint32_t* failure);
    bool Read(uint32_t size, uint32_t* count, uint32_t* failure);
    // Closes the handle and ends the attempt, unless it was stopped. A read cut at the
    // size limit is not judged by the server's last reply.
    void End(uint32_t failure, bool cutAtLimit);

    // Guards the phase's changes around a call and the completion's hand-over.
    std::mutex mutex_;
    std::condition_variable changed_;
    bool completed_ = false;
    bool stopSeen_ = false;
    uintptr_t result_ = 0;
    uint32_t resultError_ = 0;
};

// The thread body: argument is a heap-allocated std::shared_ptr<FtpReadJob>, which the
// thread deletes when it ends.
void RunFtpReadJob(void* argument);

}  // namespace vm
