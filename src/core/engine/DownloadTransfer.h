#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/base/UrlKind.h"
#include "core/engine/FileReadJob.h"
#include "core/engine/FtpReadJob.h"
#include "core/engine/PathCapture.h"
#include "core/engine/PhaseStamps.h"
#include "core/engine/ReadSlot.h"
#include "core/engine/TransferContext.h"
#include "core/engine/TransferState.h"

namespace vm {

// Largest read of an http(s) announced count: Wine loses the count of a larger read now
// and then when it has to wait.
constexpr uint32_t kMaxReadBlock = 256 * 1024;
// Largest read of what has arrived on http(s): such reads never wait with data in hand,
// so they may be larger, and on a fast link fewer reads cost less.
constexpr uint32_t kMaxArrivedRead = 1024 * 1024;
// A read that waited and came back empty is checked with a query this many times.
constexpr uint32_t kMaxEmptyPendingReads = 2;
// How long ReadLoop may keep the GUI thread before input, paint and timers get a turn.
constexpr uint32_t kReadTurnMs = 50;
constexpr uint32_t kCallbackWaitSleeps = 201;
// The system's "not enough memory" error: a local read whose worker cannot start.
constexpr uint32_t kErrorNotEnoughMemory = 8;

// One attempt at one item: opens the URL through the Internet library (or reads a local
// file on a worker), counts and discards the data, and reports by posting events that
// carry its serial. Library completions arrive on library threads through OnStatus and
// are turned into events, so all further http(s) work runs on the GUI thread.
//
// Every byte that has arrived is counted within one turn of reading, at any link speed:
// http(s) reads take what has arrived without waiting (a read that waits for a whole
// block hides what it holds until the block is full, and on the GUI thread it freezes
// the window); when nothing has, the availability query tells whether the data has ended
// or completes when more arrives. An FTP download is read on a worker (FtpReadJob), since
// the library's FTP query and reads wait on the calling thread.
class DownloadTransfer {
public:
    // Create: takes the next serial, registers, and uses (perhaps opens) the root.
    explicit DownloadTransfer(TransferContext& context);
    // DestroyTransfer: unregisters, stops, releases the root, waits for running callbacks.
    ~DownloadTransfer();
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    void Init(uintptr_t window, uint32_t message, uint32_t flags);
    void SetHeaders(const std::string& text) { headers_ = text; }
    void SetPassiveFtp(bool passive) { passiveFtp_ = passive; }

    // True when the open is under way. An open refused at once posts EV_FAILED.
    bool OpenUrl(const std::string& url);
    // Local-file mode; true when the worker thread was started.
    bool StartFileRead(const std::string& path);

    // The continuation steps (event codes of 512 and up), on the GUI thread.
    void HandleInternalEvent(uint32_t code);
    void OnOpenComplete();
    void OnDataAvailable();

    void StopTransfer();
    // Ends the attempt as failed by the receive time-out (nothing arrived for too long),
    // as the library would if it applied its own time-out to requests everywhere. False
    // when the attempt had already ended.
    bool FailTimedOut();

    // The status callback's work, on a library thread (through the registry).
    void OnStatus(InternetHandle handle, uint32_t status, uintptr_t result, uint32_t error,
                  std::string_view info = {});

    uint32_t Serial() const { return serial_; }
    uint32_t Error() const;
    // The server's own reply that explains the failure ("550 Failed to open file."),
    // trimmed; empty when the library kept none.
    std::string ServerReply() const;
    int32_t HttpStatus() const { return httpStatus_; }
    uint64_t BytesRead() const;
    bool LengthUndeclared() const { return lengthUndeclared_; }
    uint64_t ContentLength() const;
    bool Finished() const;
    // Finished with the whole body seen: an announced length reached, or a local file read
    // to its end (see ItemMeasurements::complete).
    bool WholeBodySeen() const;
    // When the response was accepted (zero time: not yet) and when data was last counted
    // or ended, stamped where it happens: on a fast link the events that report them are
    // handled only after a whole turn of reading, so their handling time says nothing.
    uint32_t AcceptedTick() const;
    FileTime AcceptedTime() const;
    uint32_t DataTick() const;
    // Reading gives the message loop a turn as soon as this many bytes are counted, so a
    // size limit is applied at once on a fast link; reading then goes on unless stopped.
    // A read on a worker (a local file, an FTP download) ends there by itself; set it
    // before the start.
    void SetYieldAtBytes(uint64_t bytes) { yieldAtBytes_ = bytes; }
    // What the transfer (or its FTP worker) waits for from the library.
    TransferPhase Phase() const;
    TransferEnd End() const { return end_; }
    // When the library reported resolving, connecting and sending (stamped as they happen).
    const PhaseStamps& Phases() const { return phases_; }
    // Which server answered and how, as far as known yet.
    PathIdentity Identity() const { return path_.Identity(); }

    std::atomic<int> callbacksRunning{0};

private:
    // What a reading step leaves to do: read on, wait for a completion, or nothing more.
    enum class Step { Continue, Wait, Stop };

    // Every change of the phase, of what reading awaits and of the end goes through these,
    // which check it against the tables of legal changes and trace it when asked.
    void SetPhase(TransferPhase to);
    void SetAwaiting(Awaiting to);
    void EndAs(TransferEnd to);
    void Trace(const char* what, const char* from, const char* to);

    void Post(uint32_t code, uint32_t error = 0);
    void Fail(uint32_t error);
    // On the library's thread: the open failed (with the fallback error when neither the
    // report nor the library has one). Closes what the library announced for it and keeps
    // the server's reply, which the library holds for this thread only.
    void FailOpen(uint32_t error, uint32_t fallback);
    // Keeps the server's reply when the error says it holds the reason; the error of a
    // connection that ended without one may be improved by the library's own.
    void KeepServerReply(uint32_t* error);
    // The response of an http(s) open is one: a status line with a status the library
    // did not have to follow; false when the attempt failed over it.
    bool AcceptHttpResponse(InternetHandle request);
    bool Reading() const { return end_ == TransferEnd::None; }
    // Hands the opened FTP download to its worker; false when no worker could start.
    bool StartFtpRead();
    // The worker's read reports as this transfer, to its window, up to the size limit.
    void AdoptJob(ReadJob* job);
    void ReadLoop();
    Step ReadArrived();
    Step QueryAndRead();
    Step ReadExactly(uint32_t available);
    Step AfterRead(bool ok, Awaiting pending);
    void OnReadComplete();
    bool CountBlock(uint32_t count);
    void EndOfData();
    void Finish();

    TransferContext& context_;
    uint32_t serial_ = 0;
    uintptr_t window_ = 0;
    uint32_t message_ = 0;
    uint32_t flags_ = 0;
    std::string headers_;
    bool passiveFtp_ = true;
    SchemeClass scheme_ = SchemeClass::Other;

    std::atomic<InternetHandle> request_{0};
    mutable std::mutex replyMutex_;  // the reply is kept on a library thread
    std::string serverReply_;
    std::atomic<TransferPhase> phase_{TransferPhase::None};
    std::atomic<uint32_t> error_{0};
    std::atomic<uint32_t> available_{0};
    std::atomic<uint32_t> completedCount_{0};
    std::shared_ptr<ReadSlot> slot_;
    uint32_t readSize_ = 0;
    Awaiting awaiting_ = Awaiting::Nothing;
    uint32_t emptyPendingReads_ = 0;
    uint64_t yieldAtBytes_ = UINT64_MAX;
    bool yieldNow_ = false;
    uint32_t progressTick_ = 0;  // when progress was last posted
    std::atomic<uint32_t> acceptedTick_{0};
    std::atomic<FileTime> acceptedTime_{0};
    std::atomic<uint32_t> dataTick_{0};
    PhaseStamps phases_;
    PathCapture path_;

    TransferEnd end_ = TransferEnd::None;
    bool lengthUndeclared_ = false;
    uint64_t contentLength_ = 0;
    uint64_t bytesRead_ = 0;
    int32_t httpStatus_ = 0;

    // A read on a worker: a local file, or an FTP download once it was opened. job_ is
    // whichever there is; the FTP one also takes the library's completions.
    std::shared_ptr<FileReadJob> fileJob_;
    std::shared_ptr<FtpReadJob> ftpJob_;
    ReadJob* job_ = nullptr;
    std::atomic<FtpReadJob*> ftpCompletions_{nullptr};
    ThreadRef worker_ = 0;
};

// A Content-Length header's text as a 64-bit count; false when it is not a number.
[[nodiscard]] bool ParseContentLength(const std::string& text, uint64_t* value);

}  // namespace vm
