#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/base/UrlKind.h"
#include "core/engine/FileReadJob.h"
#include "core/engine/FtpReadJob.h"
#include "core/engine/PathCapture.h"
#include "core/engine/PhaseStamps.h"
#include "core/engine/RangePlan.h"
#include "core/engine/ReadSlot.h"
#include "core/engine/TransferContext.h"
#include "core/engine/TransferRecord.h"
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
// The system's "not enough memory" error: a local read whose worker cannot start.
constexpr uint32_t kErrorNotEnoughMemory = 8;

// One attempt at one item: opens the URL through the Internet library (or reads a local
// file on a worker), counts and discards the data, and reports by posting events that
// carry its serial.
//
// Threads. The transfer itself is the GUI thread's: it is made, driven and destroyed
// there. What a library callback or a worker may touch is in its TransferRecord, which
// they hold while they use it: library completions arrive on library threads through
// the registry into TransferRecord::OnStatus, which stamps, hands over counts and posts
// events, so the rest of an http(s) download runs on the GUI thread. A local file and an
// FTP download are read on a worker (FileReadJob, FtpReadJob), since the library's FTP
// query and reads wait on the calling thread. Every read of the three kinds changes the
// same phase and end of the record, through the same checked, traced setters.
//
// Every byte that has arrived is counted within one turn of reading, at any link speed:
// http(s) reads take what has arrived without waiting (a read that waits for a whole
// block hides what it holds until the block is full, and on the GUI thread it freezes
// the window); when nothing has, the availability query tells whether the data has ended
// or completes when more arrives.
class DownloadTransfer {
public:
    // Create: takes the next serial, registers its record, and uses (perhaps opens) the
    // root.
    explicit DownloadTransfer(TransferContext& context);
    // DestroyTransfer: unregisters, stops and releases the root at once. A callback or a
    // worker still running keeps the record until it is done.
    ~DownloadTransfer();
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    void Init(uintptr_t window, uint32_t message, uint32_t flags);
    void SetHeaders(const std::string& text) { headers_ = text; }
    void SetPassiveFtp(bool passive) { passiveFtp_ = passive; }
    // Asks for a range of the file instead of all of it (after Init and SetHeaders, before
    // OpenUrl): the probe of a download on several connections, or one of its parts, which
    // must get exactly its range of a file of fileLength bytes.
    void SetRange(const ByteRange& range, RangeRole role, uint64_t fileLength = UINT64_MAX);
    // The probe's answer: the server took the range, and the file's whole length.
    bool RangesTaken() const { return rangesTaken_; }
    uint64_t FileLength() const { return fileLength_; }

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

    uint32_t Serial() const { return record_->serial; }
    uint32_t Error() const { return record_->error.load(); }
    // The server's own reply that explains the failure ("550 Failed to open file."),
    // trimmed; empty when the library kept none.
    std::string ServerReply() const { return record_->ServerReply(); }
    int32_t HttpStatus() const { return httpStatus_; }
    uint64_t BytesRead() const { return record_->bytesRead.load(); }
    bool LengthUndeclared() const { return record_->lengthUndeclared.load(); }
    uint64_t ContentLength() const { return record_->contentLength.load(); }
    bool Finished() const { return End() == TransferEnd::Finished; }
    // Finished with the whole body seen: an announced length reached, or a local file read
    // to its end (see ItemMeasurements::complete).
    bool WholeBodySeen() const { return Finished() && record_->wholeBody.load(); }
    // When the response was accepted (zero time: not yet) and when data was last counted
    // or ended, stamped where it happens: on a fast link the events that report them are
    // handled only after a whole turn of reading, so their handling time says nothing.
    uint32_t AcceptedTick() const { return record_->acceptedTick.load(); }
    FileTime AcceptedTime() const { return record_->acceptedTime.load(); }
    uint32_t DataTick() const { return record_->dataTick.load(); }
    // The same moments on the microsecond clock.
    uint64_t AcceptedMicro() const { return record_->acceptedMicro.load(); }
    uint64_t DataMicro() const { return record_->dataMicro.load(); }
    // Reading gives the message loop a turn as soon as this many bytes are counted, so a
    // size limit is applied at once on a fast link; reading then goes on unless stopped.
    // A read on a worker (a local file, an FTP download) ends there by itself; set it
    // before the start.
    void SetYieldAtBytes(uint64_t bytes) { yieldAtBytes_ = bytes; }
    // What the attempt waits for from the library, whichever thread made the call.
    TransferPhase Phase() const { return record_->Phase(); }
    TransferEnd End() const { return record_->End(); }
    // When the library reported resolving, connecting and sending (stamped as they happen).
    const PhaseStamps& Phases() const { return record_->phases; }
    // Which server answered and how, as far as known yet.
    PathIdentity Identity() const;

private:
    // What a reading step leaves to do: read on, wait for a completion, or nothing more.
    enum class Step { Continue, Wait, Stop };

    // What reading awaits is the GUI thread's; its changes are checked and traced like
    // the record's phase and end.
    void SetAwaiting(Awaiting to);
    void SetPhase(TransferPhase to) { record_->SetPhase(to); }
    void Fail(uint32_t error) { record_->Fail(error); }
    // The response of an http(s) open is one: a status line with a status the library
    // did not have to follow; false when the attempt failed over it.
    bool AcceptHttpResponse(InternetHandle request);
    // The answer to a range request as its role wants it; false when the attempt failed.
    bool CheckRangeAnswer(InternetHandle request, uint32_t status);
    bool Reading() const { return record_->Reading(); }
    // Hands the opened FTP download to its worker; false when no worker could start.
    bool StartFtpRead();
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
    const std::shared_ptr<TransferRecord> record_;
    std::string headers_;
    bool passiveFtp_ = true;

    Awaiting awaiting_ = Awaiting::Nothing;
    uint32_t emptyPendingReads_ = 0;
    uint64_t yieldAtBytes_ = UINT64_MAX;
    bool yieldNow_ = false;
    uint32_t progressTick_ = 0;  // when progress was last posted
    int32_t httpStatus_ = 0;
    ByteRange range_;
    RangeRole rangeRole_ = RangeRole::None;
    bool rangesTaken_ = false;
    uint64_t fileLength_ = UINT64_MAX;

    // A read on a worker: a local file, or an FTP download once it was opened.
    std::shared_ptr<FileReadJob> fileJob_;
    std::shared_ptr<FtpReadJob> ftpJob_;
    ThreadRef worker_ = 0;
};

// A Content-Length header's text as a 64-bit count; false when it is not a number.
[[nodiscard]] bool ParseContentLength(const std::string& text, uint64_t* value);

}  // namespace vm
