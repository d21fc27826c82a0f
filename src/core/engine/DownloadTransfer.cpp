#include "core/engine/DownloadTransfer.h"

#include <chrono>
#include <thread>

#include "core/engine/DownloadItem.h"
#include "core/engine/HttpResponseCheck.h"
#include "core/engine/ServerReply.h"
#include "core/engine/TransferEvent.h"
#include "core/platform/FileSystem.h"

namespace vm {

bool ParseContentLength(const std::string& text, uint64_t* value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return false;
    uint64_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (n > (UINT64_MAX - digit) / 10) return false;
        n = n * 10 + digit;
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i != text.size()) return false;
    *value = n;
    return true;
}

DownloadTransfer::DownloadTransfer(TransferContext& context)
    : context_(context), slot_(std::make_shared<ReadSlot>()) {
    serial_ = context_.registry.Register(this);
    context_.AcquireRoot();
}

DownloadTransfer::~DownloadTransfer() {
    context_.registry.Unregister(serial_, phase_.load() == TransferPhase::PendingOpen);
    StopTransfer();
    context_.ReleaseRoot();
    for (uint32_t i = 0; i < kCallbackWaitSleeps && callbacksRunning.load() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // A callback that was completing the open while we stopped may have stored a handle.
    const InternetHandle late = request_.exchange(0);
    if (late != 0) context_.net.CloseHandle(late);
    if (worker_ != 0) context_.files.ReleaseThread(worker_);
}

void DownloadTransfer::Init(uintptr_t window, uint32_t message, uint32_t flags) {
    window_ = window;
    message_ = message;
    flags_ = flags;
    headers_.clear();
    scheme_ = SchemeClass::Other;
    request_.store(0);
    // A fresh start, not a change: Init comes before the attempt does anything.
    phase_.store(TransferPhase::None);
    error_.store(0);
    available_.store(0);
    end_ = TransferEnd::None;
    lengthUndeclared_ = false;
    contentLength_ = bytesRead_ = 0;
    httpStatus_ = 0;
    awaiting_ = Awaiting::Nothing;  // fresh start
    emptyPendingReads_ = 0;
}

uint32_t DownloadTransfer::Error() const { return job_ ? job_->error.load() : error_.load(); }
std::string DownloadTransfer::ServerReply() const {
    if (ftpJob_) {
        std::string reply = ftpJob_->ServerReply();
        if (!reply.empty()) return reply;
    }
    std::lock_guard<std::mutex> lock(replyMutex_);
    return serverReply_;
}
TransferPhase DownloadTransfer::Phase() const { return ftpJob_ ? ftpJob_->Phase() : phase_.load(); }
uint64_t DownloadTransfer::BytesRead() const { return job_ ? job_->bytesRead.load() : bytesRead_; }
uint64_t DownloadTransfer::ContentLength() const {
    return job_ ? job_->contentLength.load() : contentLength_;
}
bool DownloadTransfer::Finished() const {
    return job_ ? job_->finished.load() : end_ == TransferEnd::Finished;
}
bool DownloadTransfer::WholeBodySeen() const {
    return Finished() && (job_ ? job_->wholeBody.load() : !lengthUndeclared_);
}
uint32_t DownloadTransfer::AcceptedTick() const {
    return job_ ? job_->acceptedTick.load() : acceptedTick_.load();
}
FileTime DownloadTransfer::AcceptedTime() const {
    return job_ ? job_->acceptedTime.load() : acceptedTime_.load();
}
uint32_t DownloadTransfer::DataTick() const {
    return job_ ? job_->dataTick.load() : dataTick_.load();
}

void DownloadTransfer::SetPhase(TransferPhase to) {
    const TransferPhase from = phase_.exchange(to);
    CheckChange(IsLegalChange(from, to), "phase", NameOf(from), NameOf(to));
    Trace("phase", NameOf(from), NameOf(to));
}

void DownloadTransfer::SetAwaiting(Awaiting to) {
    const Awaiting from = awaiting_;
    CheckChange(IsLegalChange(from, to), "awaiting", NameOf(from), NameOf(to));
    awaiting_ = to;
    Trace("awaiting", NameOf(from), NameOf(to));
}

void DownloadTransfer::EndAs(TransferEnd to) {
    const TransferEnd from = end_;
    CheckChange(IsLegalChange(from, to), "end", NameOf(from), NameOf(to));
    if (from != TransferEnd::None) return;  // the first end is kept
    end_ = to;
    Trace("end", NameOf(from), NameOf(to));
}

void DownloadTransfer::Trace(const char* what, const char* from, const char* to) {
    if (!context_.traceChanges) return;
    char line[kMaxTraceLine];
    FormatChange(line, "transfer", serial_, what, from, to);
    context_.net.DebugOutput(line);
}

void DownloadTransfer::Post(uint32_t code, uint32_t error) {
    if ((flags_ & kTransferPostEvents) == 0) return;
    if (error != 0) error_.store(error);
    context_.net.PostEvent(window_, message_, code, serial_);
}

void DownloadTransfer::Fail(uint32_t error) {
    if (error == kErrorExtendedError)
        KeepServerReply(&error);  // kept for the thread that failed: this one
    EndAs(TransferEnd::Failed);
    Post(EV_FAILED, error);
}

bool DownloadTransfer::OpenUrl(const std::string& url) {
    // An item keeps a URL over the bound whole; it fails here rather than being fetched
    // by a part of it.
    if (url.size() > kMaxUrlLength) {
        Fail(kErrorInternetInvalidUrl);
        return false;
    }
    scheme_ = SchemeOf(url);
    path_.SetOrigin(&context_.addresses, UrlOrigin(url));
    uint32_t flags = kOpenFlagsDefault;
    if (scheme_ == SchemeClass::Https) flags = kOpenFlagsHttps;
    if (scheme_ == SchemeClass::Ftp && passiveFtp_) flags = kOpenFlagsPassiveFtp;

    const InternetHandle root = context_.Root();
    if (root == 0) {
        Fail(context_.RootError() != 0 ? context_.RootError() : kErrorInternetInternal);
        return false;
    }
    SetPhase(TransferPhase::PendingOpen);
    const InternetHandle handle =
        context_.net.OpenUrl(root, url.c_str(), headers_.c_str(), flags, serial_);
    if (handle != 0) {
        // Completed at once: no completion callback follows, so continue ourselves.
        (void)context_.registry.TakeAnnounced(serial_);
        SetPhase(TransferPhase::None);
        request_.store(handle);
        Post(EV_OPEN_COMPLETE);
        return true;
    }
    const uint32_t error = context_.net.LastError();
    if (error == kErrorIoPending) return true;
    SetPhase(TransferPhase::None);
    Fail(error != 0 ? error : kErrorInternetInternal);
    return false;
}

void DownloadTransfer::AdoptJob(ReadJob* job) {
    job_ = job;
    job->window = window_;
    job->message = message_;
    job->flags = flags_;
    job->serial = serial_;
    job->clock = &context_.clock;
    job->stopAtBytes = yieldAtBytes_;
}

bool DownloadTransfer::StartFileRead(const std::string& path) {
    // A cut path would measure some other file.
    if (path.size() > kMaxLocalPath) {
        Fail(kErrorFilenameTooLong);
        return false;
    }
    fileJob_ = std::make_shared<FileReadJob>(context_.net, context_.files);
    AdoptJob(fileJob_.get());
    fileJob_->path = path;
    auto* argument = new std::shared_ptr<FileReadJob>(fileJob_);
    if (!context_.files.StartThread(&RunFileReadJob, argument, &worker_)) {
        delete argument;
        worker_ = 0;
        job_->error.store(kErrorNotEnoughMemory);
        return false;
    }
    return true;
}

bool DownloadTransfer::StartFtpRead() {
    // The request goes to the worker, which closes it when it ends.
    ftpJob_ = std::make_shared<FtpReadJob>(context_.net, request_.exchange(0));
    AdoptJob(ftpJob_.get());
    if (!lengthUndeclared_) ftpJob_->declaredLength = contentLength_;
    job_->StampAccepted();
    Post(EV_RESPONSE_ACCEPTED);
    ftpCompletions_.store(ftpJob_.get());
    auto* argument = new std::shared_ptr<FtpReadJob>(ftpJob_);
    if (!context_.files.StartThread(&RunFtpReadJob, argument, &worker_)) {
        delete argument;
        worker_ = 0;
        context_.net.CloseHandle(ftpJob_->request);
        EndAs(TransferEnd::Failed);
        job_->Post(EV_FAILED, kErrorNotEnoughMemory);
        return false;
    }
    return true;
}

void DownloadTransfer::KeepServerReply(uint32_t* error) {
    std::string reply = TakeServerReply(context_.net, error);
    if (reply.empty()) return;
    std::lock_guard<std::mutex> lock(replyMutex_);
    serverReply_ = std::move(reply);
}

void DownloadTransfer::FailOpen(uint32_t error, uint32_t fallback) {
    KeepServerReply(&error);
    if (error == 0) error = fallback;
    const InternetHandle announced = context_.registry.TakeAnnounced(serial_);
    if (announced != 0) context_.net.CloseHandle(announced);
    Post(EV_FAILED, error);
}

void DownloadTransfer::OnStatus(InternetHandle, uint32_t status, uintptr_t result, uint32_t error,
                                std::string_view info) {
    if (status == kStatusConnectedToServer) path_.OnConnected(info);
    if (phases_.Stamp(status, context_.clock.TickCount())) return;
    if (status == kStatusHandleClosing) {
        Post(EV_HANDLE_CLOSING);
        return;
    }
    if (status == kStatusConnectionClosed) {
        // Wine never completes an FTP open whose connection or login the server refused:
        // the session's connection closing while the open waits is the only sign of it.
        TransferPhase open = TransferPhase::PendingOpen;
        if (scheme_ == SchemeClass::Ftp &&
            phase_.compare_exchange_strong(open, TransferPhase::None)) {
            Trace("phase", NameOf(TransferPhase::PendingOpen), NameOf(TransferPhase::None));
            FailOpen(0, kErrorCannotConnect);  // the library's own code, if it kept one
        }
        return;
    }
    if (status != kStatusRequestComplete) return;
    if (FtpReadJob* job = ftpCompletions_.load()) {
        job->OnCompletion(result, error);
        return;
    }
    switch (phase_.load()) {
        case TransferPhase::PendingOpen: {
            // Only one report ends the open, should a closing connection race it.
            TransferPhase open = TransferPhase::PendingOpen;
            if (!phase_.compare_exchange_strong(open, TransferPhase::None)) break;
            Trace("phase", NameOf(TransferPhase::PendingOpen), NameOf(TransferPhase::None));
            if (error != 0 || result == 0) {
                FailOpen(error, kErrorInternetInternal);
            } else {
                (void)context_.registry.TakeAnnounced(serial_);  // delivered: ours now
                request_.store(result);
                Post(EV_OPEN_COMPLETE);
            }
            break;
        }
        // A query or read that waited succeeded when its result is nonzero, whatever the
        // error field holds: the library gives HTTP queries 1 and FTP queries the file
        // handle as their result, and the byte count in the error field.
        case TransferPhase::PendingData:
            if (result != 0 || error == 0) {
                available_.store(error != 0 ? error : slot_->queryCount);
                SetPhase(TransferPhase::None);
                Post(EV_DATA_AVAILABLE);
            } else {
                Post(EV_FAILED, error);
            }
            break;
        case TransferPhase::PendingRead:
        case TransferPhase::PendingArrival:
            if (result != 0 || error == 0) {
                uint32_t count = 0;
                if (phase_.load() == TransferPhase::PendingRead) {
                    count = slot_->readCount;
                    if (count == 0 && error <= readSize_) count = error;
                }
                completedCount_.store(count);
                SetPhase(TransferPhase::None);
                Post(EV_READ_COMPLETE);
            } else {
                Post(EV_FAILED, error);
            }
            break;
        case TransferPhase::None:
            break;
    }
}

void DownloadTransfer::HandleInternalEvent(uint32_t code) {
    switch (code) {
        case EV_OPEN_COMPLETE:
            OnOpenComplete();
            break;
        case EV_DATA_AVAILABLE:
            OnDataAvailable();
            break;
        case EV_READ_CONTINUE:
            if (Reading() && awaiting_ == Awaiting::Nothing && phase_.load() == TransferPhase::None)
                ReadLoop();
            break;
        case EV_READ_COMPLETE:
            OnReadComplete();
            break;
        default:
            break;
    }
}

void DownloadTransfer::OnOpenComplete() {
    const InternetHandle request = request_.load();
    if (end_ != TransferEnd::None || request == 0) return;
    lengthUndeclared_ = true;
    std::string lengthText;
    uint64_t length = 0;
    if (context_.net.QueryInfoText(request, kHttpQueryContentLength, &lengthText) &&
        ParseContentLength(lengthText, &length) && length != 0) {
        lengthUndeclared_ = false;
        contentLength_ = length;
    }
    uint32_t status = 0;
    if (!context_.net.QueryInfoNumber(request, kHttpQueryStatusCode, &status)) status = 0;
    httpStatus_ = static_cast<int32_t>(status);
    if (scheme_ == SchemeClass::Http || scheme_ == SchemeClass::Https)
        path_.CaptureResponse(context_.net, request, scheme_ == SchemeClass::Https);
    path_.UseKnownAddress();
    if ((scheme_ == SchemeClass::Http || scheme_ == SchemeClass::Https) &&
        !AcceptHttpResponse(request)) {
        return;
    }
    if (status >= 400) {
        Fail(0);
        return;
    }
    if (scheme_ == SchemeClass::Ftp) {
        (void)StartFtpRead();
        return;
    }
    acceptedTime_.store(context_.clock.SystemTimeUtc());
    acceptedTick_.store(context_.clock.TickCount());
    dataTick_.store(acceptedTick_.load());
    progressTick_ = acceptedTick_.load();
    Post(EV_RESPONSE_ACCEPTED);
    slot_->buffer.resize(kMaxArrivedRead);
    ReadLoop();
}

bool DownloadTransfer::AcceptHttpResponse(InternetHandle request) {
    std::string headers;
    const bool whole = context_.net.QueryInfoText(request, kHttpQueryRawHeadersCrlf, &headers);
    switch (JudgeHttpResponse(static_cast<uint32_t>(httpStatus_), whole ? &headers : nullptr)) {
        case HttpVerdict::Accept:
            return true;
        case HttpVerdict::FailWithStatus:
            Fail(0);
            return false;
        case HttpVerdict::FailInvalid:
            httpStatus_ = 0;  // none, or one the library made up
            Fail(kErrorInvalidServerResponse);
            return false;
    }
    return true;
}

void DownloadTransfer::OnDataAvailable() {
    if (!Reading() || awaiting_ != Awaiting::Data) return;
    SetAwaiting(Awaiting::Nothing);
    const uint32_t available = available_.load();
    if (available == 0) {
        EndOfData();
    } else if (ReadExactly(available) == Step::Continue) {
        ReadLoop();
    }
}

void DownloadTransfer::ReadLoop() {
    const uint32_t start = context_.clock.TickCount();
    while (Reading()) {
        if (yieldNow_ || context_.clock.TickCount() - start >= kReadTurnMs) {
            yieldNow_ = false;
            // Reading resumes once the timer, the user's commands and the repainting that
            // are waiting have had their turn; a plain posted message would go before them.
            context_.net.PostEventAfterInput(window_, message_, EV_READ_CONTINUE, serial_);
            return;
        }
        if (ReadArrived() != Step::Continue) return;
    }
}

DownloadTransfer::Step DownloadTransfer::ReadArrived() {
    readSize_ = kMaxArrivedRead;
    slot_->readCount = 0;
    SetPhase(TransferPhase::PendingArrival);
    const bool ok = context_.net.ReadArrived(request_.load(), slot_->buffer.data(), kMaxArrivedRead,
                                             &slot_->readCount);
    if (ok && slot_->readCount == 0) {
        SetPhase(TransferPhase::None);
        return QueryAndRead();  // nothing has arrived: has the data ended, or when comes more?
    }
    return AfterRead(ok, Awaiting::Arrival);
}

DownloadTransfer::Step DownloadTransfer::QueryAndRead() {
    slot_->queryCount = 0;
    SetPhase(TransferPhase::PendingData);
    if (!context_.net.QueryDataAvailable(request_.load(), &slot_->queryCount)) {
        const uint32_t error = context_.net.LastError();
        if (error != kErrorIoPending) {
            SetPhase(TransferPhase::None);
            Fail(error);
        }
        context_.net.DebugOutput("InternetQueryDataAvailable returned false");
        if (error != kErrorIoPending) return Step::Stop;
        SetAwaiting(Awaiting::Data);  // EV_DATA_AVAILABLE continues
        return Step::Wait;
    }
    SetPhase(TransferPhase::None);
    const uint32_t available = slot_->queryCount;
    available_.store(available);
    if (available == 0) {
        EndOfData();
        return Step::Stop;
    }
    return ReadExactly(available);
}

DownloadTransfer::Step DownloadTransfer::ReadExactly(uint32_t available) {
    const uint32_t size = available < kMaxReadBlock ? available : kMaxReadBlock;
    readSize_ = size;
    slot_->readCount = 0;
    SetPhase(TransferPhase::PendingRead);
    const bool ok =
        context_.net.ReadFile(request_.load(), slot_->buffer.data(), size, &slot_->readCount);
    if (ok && slot_->readCount == 0) {
        // Nothing although data was announced: the data has ended.
        SetPhase(TransferPhase::None);
        EndOfData();
        return Step::Stop;
    }
    return AfterRead(ok, Awaiting::Read);
}

DownloadTransfer::Step DownloadTransfer::AfterRead(bool ok, Awaiting pending) {
    if (!ok) {
        const uint32_t error = context_.net.LastError();
        if (error == kErrorIoPending) {
            SetAwaiting(pending);  // EV_READ_COMPLETE continues
            return Step::Wait;
        }
        SetPhase(TransferPhase::None);
        Fail(error);
        return Step::Stop;
    }
    SetPhase(TransferPhase::None);
    return CountBlock(slot_->readCount) ? Step::Continue : Step::Stop;
}

void DownloadTransfer::OnReadComplete() {
    const Awaiting awaited = awaiting_;
    if (!Reading() || (awaited != Awaiting::Read && awaited != Awaiting::Arrival)) return;
    SetAwaiting(Awaiting::Nothing);
    const uint32_t count = completedCount_.load();
    if (count == 0) {
        // A wait for arrivals ends without a count: read what came. Wine also completes a
        // waiting read with no count now and then although data came: let the query tell
        // whether the data has really ended.
        if (awaited == Awaiting::Arrival || ++emptyPendingReads_ < kMaxEmptyPendingReads) {
            ReadLoop();
        } else {
            EndOfData();
        }
        return;
    }
    if (CountBlock(count)) ReadLoop();
}

bool DownloadTransfer::CountBlock(uint32_t count) {
    emptyPendingReads_ = 0;
    const uint64_t before = bytesRead_;
    bytesRead_ += count;
    const uint32_t now = context_.clock.TickCount();
    dataTick_.store(now);
    if (before <= yieldAtBytes_ && bytesRead_ >= yieldAtBytes_)  // a limit of 0 included
        yieldNow_ = true;
    // A post per read would cost the window a message per MiB on a fast link; the size
    // limit is told at once.
    if ((flags_ & kTransferPostProgress) != 0 &&
        (yieldNow_ || now - progressTick_ >= kProgressPostMs)) {
        progressTick_ = now;
        Post(EV_PROGRESS);
    }
    if (!lengthUndeclared_ && bytesRead_ >= contentLength_) {
        Finish();
        return false;
    }
    return true;
}

void DownloadTransfer::EndOfData() {
    if (!lengthUndeclared_ && bytesRead_ < contentLength_) {
        // The connection ended before the declared length: a truncated download.
        Fail(kErrorConnectionAborted);
        return;
    }
    Finish();
}

void DownloadTransfer::Finish() {
    dataTick_.store(context_.clock.TickCount());
    Post(EV_FINISHED);
    EndAs(TransferEnd::Finished);
}

bool DownloadTransfer::FailTimedOut() {
    // A local read has no time-out; an FTP worker that has ended has posted how.
    if (!Reading() || fileJob_ || (ftpJob_ && ftpJob_->ended.load())) return false;
    EndAs(TransferEnd::Failed);
    if (job_) {
        job_->error.store(kErrorInternetTimeout);
    } else {
        error_.store(kErrorInternetTimeout);
    }
    StopTransfer();
    return true;
}

void DownloadTransfer::StopTransfer() {
    EndAs(TransferEnd::Stopped);
    if (fileJob_) {
        fileJob_->stopped.store(true);
        if (worker_ != 0 && fileJob_->fileOpen.load() && !fileJob_->ended.load()) {
            context_.files.WaitThread(worker_, kWorkerStopWaitMs);
        }
    }
    // The FTP worker may be inside a call that waits for the server: it is not waited for
    // here; it closes its handle once the call returns.
    if (ftpJob_ && ftpJob_->Stop()) context_.registry.Retire(ftpJob_->request, ftpJob_->slot);
    const InternetHandle request = request_.exchange(0);
    if (request != 0) {
        const TransferPhase phase = phase_.load();
        if (phase == TransferPhase::PendingData || phase == TransferPhase::PendingRead ||
            phase == TransferPhase::PendingArrival) {
            // The library may still write into the slot until the handle has closed.
            context_.registry.Retire(request, slot_);
        }
        context_.net.CloseHandle(request);
    }
    headers_.clear();
}

}  // namespace vm
