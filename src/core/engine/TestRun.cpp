#include "core/engine/TestRun.h"

#include "core/base/UrlKind.h"
#include "core/engine/ErrorText.h"
#include "core/engine/SpeedRules.h"
#include "core/engine/SpeedThreshold.h"
#include "core/engine/TransferEvent.h"
#include "core/engine/TransferState.h"

namespace vm {

TestRun::TestRun(TestRunHost& host, const AppSettings& settings, Clock& clock,
                 MessageTable& messages, TransferContext& transfers, uintptr_t window)
    : host_(host),
      settings_(settings),
      clock_(clock),
      messages_(messages),
      transfers_(transfers),
      window_(window) {}

TestRun::~TestRun() {
    StopProbes();
    transfer_.reset();
}

void TestRun::SetStatus(DownloadItem& item, DownloadStatus to) {
    const DownloadStatus from = item.status;
    CheckChange(IsLegalChange(from, to), "status", NameOf(from), NameOf(to));
    item.status = to;
    if (transfers_.traceChanges) {
        char line[kMaxTraceLine];
        FormatChange(line, "item", static_cast<uint32_t>(currentIndex_), "status", NameOf(from),
                     NameOf(to));
        transfers_.net.DebugOutput(line);
    }
}

void TestRun::StartTest() {
    if (runState_ == RunState::Running) return;
    stallTicks_ = sampleTicks_ = 0;
    progressSeen_ = false;
    size_t count = 0;
    for (; DownloadItem* item = host_.ItemAt(count); ++count) item->ResetResults();
    measurements_.StartRun(clock_.SystemTimeUtc(), count);
    host_.Refresh();
    currentIndex_ = 0;
    runState_ = RunState::Running;
    host_.OnRunStateChanged();
    StartNextItem();
}

void TestRun::StartNextItem() {
    // An attempt refused at once is recorded here and the run goes on in this loop rather
    // than through its posted event, which a full queue may refuse, or by recursion, one
    // frame per refused item. After a turn of them the message loop gets its turn and the
    // next sample tick goes on.
    startPending_ = false;
    const uint32_t turnStart = clock_.TickCount();
    for (;;) {
        DownloadItem* item = host_.ItemAt(currentIndex_);
        while (item != nullptr && (item->deleted || item->disabled)) {
            item = host_.ItemAt(++currentIndex_);
        }
        if (item == nullptr) {
            EndRun();
            return;
        }
        if (clock_.TickCount() - turnStart >= kReadTurnMs) {
            startPending_ = true;
            return;
        }
        CloseAttempt();
        // The new transfer exists before the old one goes, so the shared root stays open.
        auto next = std::make_unique<DownloadTransfer>(transfers_);
        transfer_ = std::move(next);
        transfer_->SetPassiveFtp(settings_.FtpMode == kFtpModePassive);
        transfer_->Init(window_, WM_TRANSFER_EVENT, kTransferPostEvents | kTransferPostProgress);
        transfer_->SetHeaders(kRunRequestHeaders);
        if (settings_.UseAutoStopSize != 0)
            transfer_->SetYieldAtBytes(AutoStopSizeBytes(settings_));

        item->attemptTick = clock_.TickCount();
        attemptIndex_ = currentIndex_;
        measurements_.StartAttempt(currentIndex_, item->attemptTick);
        SetStatus(*item, DownloadStatus::Connecting);
        host_.Refresh();

        // A start that goes on reports by events; the connect time-out ends one that never does.
        if (IsLocalPath(item->url)) {
            if (transfer_->StartFileRead(item->url)) return;
            RecordFailure(*item);
            ChooseNextAttempt();
            continue;
        }
        if (StartProbes(*item) || OpenCurrent(*item)) return;
        ChooseNextAttempt();
    }
}

bool WantsLatencyProbes(const DownloadItem& item, const AppSettings& settings) {
    const SchemeClass scheme = SchemeOf(item.url);
    return (scheme == SchemeClass::Http || scheme == SchemeClass::Https) &&
           (item.latencyProbe == 1 || settings.DefaultLatencyProbe != 0);
}

bool TestRun::StartProbes(const DownloadItem& item) {
    if (transfers_.prober == nullptr || !WantsLatencyProbes(item, settings_) ||
        item.url.size() > kMaxUrlLength) {
        return false;
    }
    probes_ = std::make_shared<LatencyProbeJob>(*transfers_.prober, transfers_.net);
    probes_->url = item.url;
    probes_->window = window_;
    probes_->message = WM_TRANSFER_EVENT;
    probes_->serial = transfer_->Serial();
    auto* argument = new std::shared_ptr<LatencyProbeJob>(probes_);
    if (!transfers_.files.StartThread(&RunLatencyProbeJob, argument, &probeThread_)) {
        delete argument;
        probes_.reset();
        probeThread_ = 0;
        return false;
    }
    return true;
}

bool TestRun::OpenCurrent(DownloadItem& item) {
    if (transfer_->OpenUrl(item.url)) return true;
    RecordFailure(item);
    return false;
}

void TestRun::StopProbes() {
    if (!probes_) return;
    probes_->downloading.store(false);
    probes_->stopped.store(true);
    if (probeThread_ != 0) {
        (void)transfers_.files.WaitThread(probeThread_, kProbeStopWaitMs);
        transfers_.files.ReleaseThread(probeThread_);
        probeThread_ = 0;
    }
    measurements_.SetLatency(attemptIndex_, probes_->Result());
    probes_.reset();
}

void TestRun::OnTransferEvent(uint32_t code, uint32_t serial) {
    // Only the current transfer is live; events of destroyed ones are dropped.
    if (!transfer_ || transfer_->Serial() != serial) return;
    if (code >= kFirstInternalEvent) transfer_->HandleInternalEvent(code);
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item == nullptr) return;
    switch (code) {
        case EV_FINISHED:
            SetStatus(*item, DownloadStatus::Finished);
            measurements_.SetComplete(currentIndex_, transfer_->WholeBodySeen());
            item->bytes = transfer_->BytesRead();
            item->RecomputeSpeed(transfer_->DataTick());
            host_.Refresh();
            ++currentIndex_;
            StartNextItem();
            break;
        case EV_FAILED:
            OnAttemptFailed(*item);
            break;
        case EV_RESPONSE_ACCEPTED:
            SetStatus(*item, DownloadStatus::Downloading);
            // The moment the transfer accepted the response, not when we got to the event.
            item->startTime = transfer_->AcceptedTime();
            item->startTick = transfer_->AcceptedTick();
            if (item->startTime == 0) {
                item->startTime = clock_.SystemTimeUtc();
                item->startTick = clock_.TickCount();
            }
            if (probes_) probes_->downloading.store(true);
            host_.Refresh();
            break;
        case EV_PROGRESS:
            TakeProgress(*item);
            ApplySizeRule(*item);
            break;
        case EV_PROBES_IDLE_DONE:
            // The idle probes are done: the download goes (or fails at once and the run
            // moves on).
            if (item->status == DownloadStatus::Connecting && !OpenCurrent(*item)) RetryOrAdvance();
            break;
        default:
            break;
    }
}

void TestRun::OnAttemptFailed(DownloadItem& item) {
    RecordFailure(item);
    RetryOrAdvance();
}

void TestRun::RecordFailure(DownloadItem& item) {
    item.errorCode = transfer_->Error();
    item.serverStatus = transfer_->HttpStatus();
    // The server's own words explain an FTP refusal better than the library's code does.
    const std::string reply = transfer_->ServerReply();
    if (!reply.empty()) {
        item.SetErrorText(FlattenLineBreaks(reply));
    } else if (item.errorCode != 0) {
        item.SetErrorText(FlattenLineBreaks(GetErrorText(item.errorCode, messages_)));
    }
    SetStatus(item, DownloadStatus::Failed);
    host_.Refresh();
}

void TestRun::KeepCountedBytes(DownloadItem& item) {
    if (transfer_ && item.HasStarted() && transfer_->BytesRead() > item.bytes) {
        item.bytes = transfer_->BytesRead();
        item.RecomputeSpeed(transfer_->DataTick());
    }
}

void TestRun::ChooseNextAttempt() {
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item != nullptr && item->retries < RetryLimit(settings_)) {
        const uint32_t retries = item->retries;
        item->ResetResults();
        item->retries = retries + 1;
    } else {
        ++currentIndex_;
    }
}

void TestRun::RetryOrAdvance() {
    ChooseNextAttempt();
    StartNextItem();
}

void TestRun::StopTest() {
    // An item whose start waits for the next tick has not begun: it stays as it is.
    DownloadItem* item = startPending_ ? nullptr : host_.ItemAt(currentIndex_);
    startPending_ = false;
    if (item != nullptr) {
        KeepCountedBytes(*item);
        SetStatus(*item, DownloadStatus::Finished);
    }
    EndRun();
    host_.Refresh();
}

void TestRun::InterruptTest() {
    if (runState_ != RunState::Running) return;
    if (DownloadItem* item = host_.ItemAt(currentIndex_)) {
        if (item->status == DownloadStatus::Downloading ||
            item->status == DownloadStatus::Connecting)
            KeepCountedBytes(*item);
    }
    EndRun();
    host_.Refresh();
}

void TestRun::MoveToNextDownload() {
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item == nullptr || !transfer_ || startPending_) return;
    KeepCountedBytes(*item);
    SetStatus(*item, DownloadStatus::Finished);
    StopAndAdvance();
}

void TestRun::StopAndAdvance() {
    transfer_->StopTransfer();
    host_.Refresh();
    ++currentIndex_;
    StartNextItem();
}

void TestRun::CloseAttempt() {
    StopProbes();
    if (transfer_) {
        measurements_.EndAttempt(attemptIndex_, transfer_->HttpStatus(), transfer_->Phases(),
                                 transfer_->AcceptedTime() != 0, transfer_->AcceptedTick());
        measurements_.SetServer(attemptIndex_, transfer_->Identity());
        // Judged once the attempt is over, so that its last samples count.
        if (DownloadItem* item = host_.ItemAt(attemptIndex_)) {
            JudgeItemSpeed(*item, measurements_.ForItem(attemptIndex_), settings_);
            if (item->belowMinSpeed) host_.Refresh();
        }
    }
}

void TestRun::RecordSample(const DownloadItem& item) {
    if (!transfer_ || !item.HasStarted()) return;
    SpeedSample sample;
    sample.ms = item.duration;
    const uint32_t dataMs = transfer_->DataTick() - item.startTick;
    sample.dataMs = dataMs < sample.ms ? dataMs : sample.ms;
    sample.bytes = transfer_->BytesRead();
    sample.averageBytesPerSecond = item.speedKBps * 1024;
    measurements_.AddSample(currentIndex_, sample);
}

void TestRun::EndRun() {
    CloseAttempt();
    transfer_.reset();
    const bool wasRunning = runState_ == RunState::Running;
    runState_ = RunState::Stopped;
    host_.OnRunStateChanged();
    if (wasRunning) {
        measurements_.EndRun(clock_.SystemTimeUtc());
        host_.OnRunEnded();
    }
}

void TestRun::OnSampleTick() {
    if (runState_ != RunState::Running) return;
    if (startPending_) {
        StartNextItem();
        return;
    }
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item != nullptr && transfer_ && item->status == DownloadStatus::Downloading &&
        transfer_->BytesRead() != item->bytes) {
        TakeProgress(*item);
    }
    if (progressSeen_) {
        progressSeen_ = false;
        stallTicks_ = 0;
        host_.Refresh();
    } else if (++stallTicks_ >= kStallTicksPerRedraw) {
        if (item != nullptr) item->RecomputeSpeed(clock_.TickCount());
        stallTicks_ = 0;
        host_.Refresh();
    }
    if (++sampleTicks_ >= kTicksPerSample) {
        sampleTicks_ = 0;
        if (item != nullptr) {
            item->RecomputeSpeed(clock_.TickCount());
            ShiftHistory(*item);
            RecordSample(*item);
        }
    }
    CheckAutoStop();
}

void TestRun::CheckAutoStop() {
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (!transfer_ || item == nullptr) return;
    const uint32_t now = clock_.TickCount();
    if (item->status == DownloadStatus::Connecting &&
        static_cast<uint64_t>(now - item->attemptTick) >= SecondsToMs(settings_.ConnectTimeout)) {
        SetStatus(*item, DownloadStatus::ConnectTimeout);
        transfer_->StopTransfer();
        host_.Refresh();
        RetryOrAdvance();
        return;
    }
    double deviation = 0;
    if (settings_.UseAutoStopStable != 0 &&
        StableDeviation(*item, settings_.AutoStopStableUnit, &deviation) &&
        settings_.AutoStopStableValue >= deviation) {
        SetStatus(*item, DownloadStatus::Finished);
        StopAndAdvance();
        return;
    }
    if (settings_.UseAutoStopTime != 0) {
        item->bytes = transfer_->BytesRead();
        item->RecomputeSpeed(now);
        if (static_cast<uint64_t>(item->duration) >= SecondsToMs(settings_.AutoStopTime)) {
            SetStatus(*item, DownloadStatus::Finished);
            StopAndAdvance();
            return;
        }
    }
    // Last: a download still running when its own rules end it on this very tick (a time
    // limit of the time-out's length on a silent body) is finished, not failed.
    if (item->status == DownloadStatus::Downloading &&
        static_cast<uint32_t>(now - transfer_->DataTick()) >= receiveTimeoutMs_ &&
        transfer_->FailTimedOut()) {
        OnAttemptFailed(*item);
    }
}

void TestRun::TakeProgress(DownloadItem& item) {
    if (!transfer_) return;
    progressSeen_ = true;
    item.bytes = transfer_->BytesRead();
    if (probes_) probes_->downloadBytes.store(item.bytes);
    item.RecomputeSpeed(item.startTime != 0 ? transfer_->DataTick() : clock_.TickCount());
}

void TestRun::ApplySizeRule(DownloadItem& item) {
    if (settings_.UseAutoStopSize == 0) return;
    if (item.bytes >= AutoStopSizeBytes(settings_)) {
        SetStatus(item, DownloadStatus::Finished);
        StopAndAdvance();
    }
}

}  // namespace vm
