#include "core/engine/DownloadTransfer.h"

#include "core/engine/DownloadItem.h"
#include "core/engine/HttpResponseCheck.h"
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
    : context_(context), record_(std::make_shared<TransferRecord>(context)) {
    (void)context_.registry.Register(record_);
    context_.AcquireRoot();
}

DownloadTransfer::~DownloadTransfer() {
    record_->abandoned.store(true);
    context_.registry.Unregister(record_->serial, record_->Phase() == TransferPhase::PendingOpen);
    StopTransfer();
    context_.ReleaseRoot();
    if (worker_ != 0) context_.files.ReleaseThread(worker_);
    // A callback or worker still running holds the record; the last one frees it, and a
    // handle an open delivered after the stop is closed then.
}

void DownloadTransfer::Init(uintptr_t window, uint32_t message, uint32_t flags) {
    record_->window = window;
    record_->message = message;
    record_->flags = flags;
    record_->scheme = SchemeClass::Other;
    headers_.clear();
    // A fresh start, not a change: Init comes before the attempt does anything.
    record_->Reset();
    httpStatus_ = 0;
    awaiting_ = Awaiting::Nothing;
    emptyPendingReads_ = 0;
    rangeRole_ = RangeRole::None;
    rangesTaken_ = false;
    fileLength_ = UINT64_MAX;
}

void DownloadTransfer::SetRange(const ByteRange& range, RangeRole role, uint64_t fileLength) {
    range_ = range;
    rangeRole_ = role;
    fileLength_ = fileLength;
    if (role == RangeRole::None) return;
    if (!headers_.empty()) headers_ += "\r\n";
    headers_ += RangeRequestHeader(range);
}

PathIdentity DownloadTransfer::Identity() const { return record_->path.Identity(); }

void DownloadTransfer::SetAwaiting(Awaiting to) {
    const Awaiting from = awaiting_;
    CheckChange(IsLegalChange(from, to), "awaiting", NameOf(from), NameOf(to));
    awaiting_ = to;
    record_->Trace("awaiting", NameOf(from), NameOf(to));
}

bool DownloadTransfer::OpenUrl(const std::string& url) {
    // An item keeps a URL over the bound whole; it fails here rather than being fetched
    // by a part of it.
    if (url.size() > kMaxUrlLength) {
        Fail(kErrorInternetInvalidUrl);
        return false;
    }
    const SchemeClass scheme = SchemeOf(url);
    record_->scheme = scheme;
    record_->path.SetOrigin(&context_.addresses, UrlOrigin(url));
    uint32_t flags = kOpenFlagsDefault;
    if (scheme == SchemeClass::Https) flags = kOpenFlagsHttps;
    if (scheme == SchemeClass::Ftp && passiveFtp_) flags = kOpenFlagsPassiveFtp;

    const InternetHandle root = context_.Root();
    if (root == 0) {
        Fail(context_.RootError() != 0 ? context_.RootError() : kErrorInternetInternal);
        return false;
    }
    SetPhase(TransferPhase::PendingOpen);
    const InternetHandle handle =
        context_.net.OpenUrl(root, url.c_str(), headers_.c_str(), flags, record_->serial);
    if (handle != 0) {
        // Completed at once: no completion callback follows, so continue ourselves.
        (void)context_.registry.TakeAnnounced(record_->serial);
        SetPhase(TransferPhase::None);
        record_->request.store(handle);
        record_->Post(EV_OPEN_COMPLETE);
        return true;
    }
    const uint32_t error = context_.net.LastError();
    if (error == kErrorIoPending) return true;
    SetPhase(TransferPhase::None);
    Fail(error != 0 ? error : kErrorInternetInternal);
    return false;
}

bool DownloadTransfer::StartFileRead(const std::string& path) {
    // A cut path would measure some other file.
    if (path.size() > kMaxLocalPath) {
        Fail(kErrorFilenameTooLong);
        return false;
    }
    fileJob_ = std::make_shared<FileReadJob>(record_, context_.files);
    fileJob_->stopAtBytes = yieldAtBytes_;
    fileJob_->path = path;
    auto* argument = new std::shared_ptr<FileReadJob>(fileJob_);
    if (!context_.files.StartThread(&RunFileReadJob, argument, &worker_)) {
        delete argument;
        worker_ = 0;
        record_->error.store(kErrorNotEnoughMemory);
        (void)record_->EndAs(TransferEnd::Failed);  // the caller reports it: no event
        return false;
    }
    return true;
}

bool DownloadTransfer::StartFtpRead() {
    // The request goes to the worker, which closes it when it ends.
    ftpJob_ = std::make_shared<FtpReadJob>(record_, record_->request.exchange(0));
    ftpJob_->stopAtBytes = yieldAtBytes_;
    if (!record_->lengthUndeclared.load()) ftpJob_->declaredLength = record_->contentLength.load();
    ftpJob_->StampAccepted();
    record_->Post(EV_RESPONSE_ACCEPTED);
    record_->SetWorkerCalls(ftpJob_);
    auto* argument = new std::shared_ptr<FtpReadJob>(ftpJob_);
    if (!context_.files.StartThread(&RunFtpReadJob, argument, &worker_)) {
        delete argument;
        worker_ = 0;
        context_.net.CloseHandle(ftpJob_->request);
        record_->EndFailed(kErrorNotEnoughMemory);
        return false;
    }
    return true;
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
            if (Reading() && awaiting_ == Awaiting::Nothing && Phase() == TransferPhase::None)
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
    const InternetHandle request = record_->request.load();
    if (!Reading() || request == 0) return;
    record_->lengthUndeclared.store(true);
    std::string lengthText;
    uint64_t length = 0;
    if (context_.net.QueryInfoText(request, kHttpQueryContentLength, &lengthText) &&
        ParseContentLength(lengthText, &length) && length != 0) {
        record_->lengthUndeclared.store(false);
        record_->contentLength.store(length);
    }
    uint32_t status = 0;
    if (!context_.net.QueryInfoNumber(request, kHttpQueryStatusCode, &status)) status = 0;
    httpStatus_ = static_cast<int32_t>(status);
    const SchemeClass scheme = record_->scheme;
    if (scheme == SchemeClass::Http || scheme == SchemeClass::Https)
        record_->path.CaptureResponse(context_.net, request, scheme == SchemeClass::Https);
    record_->path.UseKnownAddress();
    if ((scheme == SchemeClass::Http || scheme == SchemeClass::Https) &&
        !AcceptHttpResponse(request)) {
        return;
    }
    if (status >= 400) {
        Fail(0);
        return;
    }
    if (rangeRole_ != RangeRole::None &&
        (scheme == SchemeClass::Http || scheme == SchemeClass::Https) &&
        !CheckRangeAnswer(request, status)) {
        return;
    }
    if (scheme == SchemeClass::Ftp) {
        (void)StartFtpRead();
        return;
    }
    record_->StampAccepted();
    progressTick_ = record_->acceptedTick.load();
    record_->Post(EV_RESPONSE_ACCEPTED);
    record_->slot->buffer.resize(kMaxArrivedRead);
    ReadLoop();
}

bool DownloadTransfer::CheckRangeAnswer(InternetHandle request, uint32_t status) {
    std::string contentRange;
    if (!context_.net.QueryInfoText(request, kHttpQueryContentRange, &contentRange))
        contentRange.clear();
    const bool hasLength = !record_->lengthUndeclared.load();
    const uint64_t length = record_->contentLength.load();
    uint32_t error = 0;
    if (rangeRole_ == RangeRole::Probe) {
        // Any other success is the whole file: it is read here, on this one connection.
        switch (JudgeProbeAnswer(status, contentRange, hasLength, length, range_, &fileLength_,
                                 &error)) {
            case ProbeAnswer::Taken:
                rangesTaken_ = true;
                return true;
            case ProbeAnswer::Whole:
                return true;
            case ProbeAnswer::Wrong:
                break;
        }
    } else {
        error = RangeAnswerError(
            JudgeRangeAnswer(status, contentRange, hasLength, length, range_, fileLength_));
        if (error == 0) {
            // A part ends at its range's last byte, whatever the server says after it.
            record_->lengthUndeclared.store(false);
            record_->contentLength.store(range_.count);
            return true;
        }
    }
    Fail(error);
    return false;
}

bool DownloadTransfer::AcceptHttpResponse(InternetHandle request) {
    // Only a status that passes asks for the header block, which tells the library's
    // made-up reply from a real one: a list of 404s does without a query per item.
    const uint32_t status = static_cast<uint32_t>(httpStatus_);
    HttpVerdict verdict = JudgeHttpResponse(status, nullptr);
    std::string headers;
    if (verdict == HttpVerdict::Accept &&
        context_.net.QueryInfoText(request, kHttpQueryRawHeadersCrlf, &headers)) {
        verdict = JudgeHttpResponse(status, &headers);
    }
    switch (verdict) {
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
    const uint32_t available = record_->available.load();
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
            context_.net.PostEventAfterInput(record_->window, record_->message, EV_READ_CONTINUE,
                                             record_->serial);
            return;
        }
        if (ReadArrived() != Step::Continue) return;
    }
}

DownloadTransfer::Step DownloadTransfer::ReadArrived() {
    ReadSlot& slot = *record_->slot;
    record_->readSize.store(kMaxArrivedRead);
    slot.readCount = 0;
    SetPhase(TransferPhase::PendingArrival);
    const bool ok = context_.net.ReadArrived(record_->request.load(), slot.buffer.data(),
                                             kMaxArrivedRead, &slot.readCount);
    if (ok && slot.readCount == 0) {
        SetPhase(TransferPhase::None);
        return QueryAndRead();  // nothing has arrived: has the data ended, or when comes more?
    }
    return AfterRead(ok, Awaiting::Arrival);
}

DownloadTransfer::Step DownloadTransfer::QueryAndRead() {
    ReadSlot& slot = *record_->slot;
    slot.queryCount = 0;
    SetPhase(TransferPhase::PendingData);
    if (!context_.net.QueryDataAvailable(record_->request.load(), &slot.queryCount)) {
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
    const uint32_t available = slot.queryCount;
    record_->available.store(available);
    if (available == 0) {
        EndOfData();
        return Step::Stop;
    }
    return ReadExactly(available);
}

DownloadTransfer::Step DownloadTransfer::ReadExactly(uint32_t available) {
    const uint32_t size = available < kMaxReadBlock ? available : kMaxReadBlock;
    ReadSlot& slot = *record_->slot;
    record_->readSize.store(size);
    slot.readCount = 0;
    SetPhase(TransferPhase::PendingRead);
    const bool ok =
        context_.net.ReadFile(record_->request.load(), slot.buffer.data(), size, &slot.readCount);
    if (ok && slot.readCount == 0) {
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
    return CountBlock(record_->slot->readCount) ? Step::Continue : Step::Stop;
}

void DownloadTransfer::OnReadComplete() {
    const Awaiting awaited = awaiting_;
    if (!Reading() || (awaited != Awaiting::Read && awaited != Awaiting::Arrival)) return;
    SetAwaiting(Awaiting::Nothing);
    const uint32_t count = record_->completedCount.load();
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
    const uint64_t before = record_->bytesRead.fetch_add(count);
    const uint64_t total = before + count;
    const uint32_t now = context_.clock.TickCount();
    record_->dataTick.store(now);
    record_->dataMicro.store(context_.clock.MicroCount());
    if (before <= yieldAtBytes_ && total >= yieldAtBytes_)  // a limit of 0 included
        yieldNow_ = true;
    // A post per read would cost the window a message per MiB on a fast link; the size
    // limit is told at once.
    if ((record_->flags & kTransferPostProgress) != 0 &&
        (yieldNow_ || now - progressTick_ >= kProgressPostMs)) {
        progressTick_ = now;
        record_->Post(EV_PROGRESS);
    }
    if (!LengthUndeclared() && total >= ContentLength()) {
        Finish();
        return false;
    }
    return true;
}

void DownloadTransfer::EndOfData() {
    if (!LengthUndeclared() && BytesRead() < ContentLength()) {
        // The connection ended before the declared length: a truncated download.
        Fail(kErrorConnectionAborted);
        return;
    }
    Finish();
}

void DownloadTransfer::Finish() {
    record_->Finish(context_.clock.TickCount(), context_.clock.MicroCount(), !LengthUndeclared());
}

bool DownloadTransfer::FailTimedOut() {
    // A local read has no time-out; a worker that has ended the attempt has posted how.
    if (fileJob_ || !record_->EndAs(TransferEnd::Failed)) return false;
    record_->error.store(kErrorInternetTimeout);
    StopTransfer();
    return true;
}

void DownloadTransfer::StopTransfer() {
    (void)record_->EndAs(TransferEnd::Stopped);
    if (fileJob_ && worker_ != 0 && fileJob_->fileOpen.load() && !fileJob_->workerDone.load()) {
        context_.files.WaitThread(worker_, kWorkerStopWaitMs);
    }
    // The FTP worker may be inside a call that waits for the server: it is not waited for
    // here; it closes its handle once the call returns.
    if (ftpJob_ && ftpJob_->Stop()) context_.registry.Retire(ftpJob_->request, record_->slot);
    const InternetHandle request = record_->request.exchange(0);
    if (request != 0) {
        const TransferPhase phase = Phase();
        if (phase == TransferPhase::PendingData || phase == TransferPhase::PendingRead ||
            phase == TransferPhase::PendingArrival) {
            // The library may still write into the slot until the handle has closed, which
            // for a stalled body is never. A waiting query writes only its count, and a
            // no-wait read that waits only refills the library's own buffer (Wine hands it
            // no buffer): only a waiting read of a count keeps the read buffer.
            if (phase != TransferPhase::PendingRead) ReleaseBuffer(*record_->slot);
            context_.registry.Retire(request, record_->slot);
        }
        context_.net.CloseHandle(request);
    }
    headers_.clear();
}

}  // namespace vm
