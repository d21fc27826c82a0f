#include "core/engine/TestRun.h"

#include "core/base/UrlKind.h"
#include "core/engine/ConnectionVerdict.h"
#include "core/engine/ErrorText.h"
#include "core/engine/RepeatRules.h"
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
      errorTexts_(messages),
      transfers_(transfers),
      window_(window) {}

TestRun::~TestRun() {
    StopProbes();
    parts_.reset();
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
    compareIndex_ = SIZE_MAX;
    size_t count = 0;
    for (; DownloadItem* item = host_.ItemAt(count); ++count) item->ResetResults();
    measurements_.StartRun(clock_.SystemTimeUtc(), count);
    host_.Refresh();
    currentIndex_ = 0;
    runState_ = RunState::Running;
    host_.OnRunStateChanged();
    StartNextItem();
}

// Long because choosing the next item, setting up its attempt (one connection or several)
// and the loop over attempts refused at once belong together.
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
        parts_.reset();
        failedTransfer_ = nullptr;
        transfer_ = std::move(next);
        transfer_->SetPassiveFtp(settings_.FtpMode == kFtpModePassive);
        transfer_->Init(window_, WM_TRANSFER_EVENT, kTransferPostEvents | kTransferPostProgress);
        transfer_->SetHeaders(kRunRequestHeaders);
        if (settings_.UseAutoStopSize != 0)
            transfer_->SetYieldAtBytes(AutoStopSizeBytes(settings_));

        // Only http(s) takes ranges: FTP and local items use one connection, and compare
        // nothing. A comparison measures the item with one connection first, then with
        // its number.
        const SchemeClass scheme = SchemeOf(item->url);
        const bool ranged = !IsLocalPath(item->url) &&
                            (scheme == SchemeClass::Http || scheme == SchemeClass::Https);
        if (compareIndex_ != currentIndex_) {
            compareIndex_ = currentIndex_;
            compareStage_ = ranged && ComparesConnections(*item, settings_) ? CompareStage::Single
                                                                            : CompareStage::None;
        }
        attemptConnections_ =
            compareStage_ == CompareStage::Single ? 1 : RequestedConnections(*item, settings_);
        if (attemptConnections_ > 1 && ranged) {
            transfer_->SetRange(ByteRange{0, kProbeRangeBytes}, RangeRole::Probe);
        }

        item->attemptTick = clock_.TickCount();
        attemptIndex_ = currentIndex_;
        measurements_.StartAttempt(currentIndex_, item->attemptTick, clock_.MicroCount());
        ConnectionUse connections;
        connections.requested = RequestedConnections(*item, settings_);
        measurements_.SetConnections(currentIndex_, connections);
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
    // Only the current attempt's transfers are live; events of destroyed ones are dropped,
    // and so are those of an attempt whose end was recorded while the next start waits
    // for the next tick (its transfer stays until then, with its posted failure).
    if (!transfer_ || startPending_) return;
    DownloadTransfer* source = transfer_.get();
    if (source->Serial() != serial) {
        source = parts_ ? parts_->Find(serial) : nullptr;
        if (source == nullptr) return;
    }
    const bool part = source != transfer_.get();
    if (code >= kFirstInternalEvent) source->HandleInternalEvent(code);
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item == nullptr) return;
    switch (code) {
        case EV_FINISHED:
            if (!AttemptFinished()) break;  // other connections still read
            SetStatus(*item, DownloadStatus::Finished);
            measurements_.SetComplete(
                currentIndex_, transfer_->WholeBodySeen() && (!parts_ || parts_->AllWhole()));
            item->bytes = AttemptBytes();
            item->RecomputeSpeed(AttemptDataTick(), AttemptDataMicro());
            host_.Refresh();
            AdvanceAfterFinish(*item);
            break;
        case EV_FAILED:
            // One failed connection fails the attempt, with its error.
            failedTransfer_ = source;
            OnAttemptFailed(*item);
            break;
        case EV_RESPONSE_ACCEPTED:
            if (part) break;
            SetStatus(*item, DownloadStatus::Downloading);
            // The moment the transfer accepted the response, not when we got to the event.
            item->startTime = transfer_->AcceptedTime();
            item->startTick = transfer_->AcceptedTick();
            item->startMicro = transfer_->AcceptedMicro();
            if (item->startTime == 0) {
                item->startTime = clock_.SystemTimeUtc();
                item->startTick = clock_.TickCount();
                item->startMicro = clock_.MicroCount();
            }
            if (probes_) probes_->downloading.store(true);
            if (transfer_->RangesTaken()) StartParts(*item);
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
    const DownloadTransfer& failed = failedTransfer_ != nullptr ? *failedTransfer_ : *transfer_;
    item.errorCode = failed.Error();
    item.serverStatus = failed.HttpStatus();
    // The server's own words explain an FTP refusal better than the library's code does.
    const std::string reply = failed.ServerReply();
    if (!reply.empty()) {
        item.SetErrorText(FlattenLineBreaks(reply));
    } else if (item.errorCode != 0) {
        item.SetErrorText(errorTexts_.For(item.errorCode));
    }
    SetStatus(item, DownloadStatus::Failed);
    host_.Refresh();
}

void TestRun::KeepCountedBytes(DownloadItem& item) {
    if (transfer_ && item.HasStarted() && AttemptBytes() > item.bytes) {
        item.bytes = AttemptBytes();
        item.RecomputeSpeed(AttemptDataTick(), AttemptDataMicro());
    }
}

void TestRun::ChooseNextAttempt() {
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item != nullptr && item->retries < RetryLimit(settings_)) {
        const uint32_t retries = item->retries;
        item->ResetResults();
        item->retries = retries + 1;
    } else {
        AdvanceItem();
    }
}

void TestRun::AdvanceItem(bool repeatsGoOn) {
    if (!EndMeasurement(repeatsGoOn)) ++currentIndex_;
}

bool TestRun::EndMeasurement(bool repeatsGoOn) {
    DownloadItem* item = host_.ItemAt(currentIndex_);
    if (item == nullptr) return false;
    const ItemMeasurements* kept = measurements_.ForItem(currentIndex_);
    const size_t done = (kept != nullptr ? kept->repeats.size() : 0) + 1;
    const bool again = repeatsGoOn && done < static_cast<size_t>(EffectiveRepeat(*item, settings_));
    if (done == 1 && !again) {
        // The only measurement: the item shows it as it stands and is its record.
        measurements_.SetMeasuredOnce(currentIndex_);
        host_.Refresh();
        return false;
    }
    measurements_.AddRepeat(currentIndex_, RepeatOf(*item, kept));
    if (again) {
        item->ResetResults();  // the next measurement starts afresh, with its own retries
        return true;
    }
    ShowRepeatOutcome(*item, measurements_.ForItem(currentIndex_)->repeats);
    host_.Refresh();
    return false;
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
        // A measurement stopped before its data began says nothing of the speed: after
        // earlier ones the item shows those.
        const ItemMeasurements* m = measurements_.ForItem(currentIndex_);
        if (m != nullptr && !m->repeats.empty() && !item->HasStarted()) {
            ShowRepeatOutcome(*item, m->repeats);
        } else {
            (void)EndMeasurement(false);
        }
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
    // Moving on means the next item, not the next measurement of this one.
    StopAndAdvance(false);
}

void TestRun::StopAndAdvance(bool repeatsGoOn) {
    StopAttempt();
    host_.Refresh();
    AdvanceItem(repeatsGoOn);
    StartNextItem();
}

void TestRun::StopAttempt() {
    transfer_->StopTransfer();
    if (parts_) parts_->StopAll();
}

void TestRun::FinishByRule(DownloadItem& item) {
    SetStatus(item, DownloadStatus::Finished);
    StopAttempt();
    host_.Refresh();
    AdvanceAfterFinish(item);
}

void TestRun::AdvanceAfterFinish(DownloadItem& item) {
    if (compareStage_ == CompareStage::Single) {
        // The same item again, now on its connections; the single speed is kept for the
        // verdict.
        singleBytesPerSecond_ = JudgedSpeed(item, measurements_.ForItem(currentIndex_));
        compareStage_ = CompareStage::Multi;
        const uint32_t retries = item.retries;
        item.ResetResults();
        item.retries = retries;
        StartNextItem();
        return;
    }
    if (compareStage_ == CompareStage::Multi) {
        ConnectionVerdict verdict;
        if (JudgeConnections(singleBytesPerSecond_,
                             JudgedSpeed(item, measurements_.ForItem(currentIndex_)), &verdict)) {
            measurements_.SetVerdict(currentIndex_, verdict);
        }
        compareStage_ = CompareStage::None;
    }
    AdvanceItem();
    StartNextItem();
}

void TestRun::StartParts(const DownloadItem& item) {
    ConnectionUse use;
    use.requested = RequestedConnections(item, settings_);
    use.rangesSupported = true;
    const uint64_t length = transfer_->FileLength();
    if (length > kProbeRangeBytes) {
        // The library's own cap of connections per server would queue the parts.
        (void)transfers_.net.SetTimeoutOption(0, kInternetOptionMaxConnsPerServer,
                                              kMaxConnections + 1);
        (void)transfers_.net.SetTimeoutOption(0, kInternetOptionMaxConnsPer10Server,
                                              kMaxConnections + 1);
        parts_ = std::make_unique<ConnectionGroup>(transfers_);
        use.used = parts_->Start(item.url, kRunRequestHeaders, kProbeRangeBytes, length,
                                 attemptConnections_, window_, WM_TRANSFER_EVENT,
                                 kTransferPostEvents | kTransferPostProgress);
    }
    measurements_.SetConnections(currentIndex_, use);
}

bool TestRun::FailTimedOut() {
    if (transfer_->FailTimedOut()) {
        failedTransfer_ = nullptr;
        return true;
    }
    DownloadTransfer* part = parts_ ? parts_->FailTimedOut() : nullptr;
    failedTransfer_ = part;
    return part != nullptr;
}

uint64_t TestRun::AttemptBytes() const {
    return transfer_->BytesRead() + (parts_ ? parts_->BytesRead() : 0);
}

uint64_t TestRun::AttemptDataMicro() const {
    uint64_t micro = transfer_->DataMicro();
    if (parts_) micro = parts_->LatestDataMicro(micro);
    return micro;
}

uint32_t TestRun::AttemptDataTick() const {
    if (!parts_) return transfer_->DataTick();
    return parts_->LatestDataTick(transfer_->DataTick(), transfer_->AcceptedTick());
}

bool TestRun::AttemptFinished() const {
    if (!transfer_->Finished()) return false;
    // The probe found ranges: the parts are started with its answer, and must all end.
    if (transfer_->RangesTaken() && transfer_->FileLength() > kProbeRangeBytes)
        return parts_ && parts_->AllFinished();
    return true;
}

void TestRun::CloseAttempt() {
    StopProbes();
    if (transfer_) {
        if (parts_) parts_->StopAll();
        measurements_.EndAttempt(attemptIndex_, transfer_->HttpStatus(), transfer_->Phases(),
                                 transfer_->AcceptedTime() != 0, transfer_->AcceptedTick(),
                                 transfer_->AcceptedMicro());
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
    sample.us = item.durationUs;
    const uint32_t dataMs = AttemptDataTick() - item.startTick;
    sample.dataMs = dataMs < sample.ms ? dataMs : sample.ms;
    const uint64_t dataMicro = AttemptDataMicro();
    const uint64_t dataUs = item.startMicro != 0 && dataMicro > item.startMicro
                                ? dataMicro - item.startMicro
                                : uint64_t{sample.dataMs} * 1000;
    sample.dataUs = dataUs < sample.us ? dataUs : sample.us;
    sample.bytes = AttemptBytes();
    sample.averageBytesPerSecond = item.speedKBps * 1024;
    measurements_.AddSample(currentIndex_, sample);
}

void TestRun::EndRun() {
    CloseAttempt();
    parts_.reset();
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
        AttemptBytes() != item->bytes) {
        TakeProgress(*item);
    }
    if (progressSeen_) {
        progressSeen_ = false;
        stallTicks_ = 0;
        host_.Refresh();
    } else if (++stallTicks_ >= kStallTicksPerRedraw) {
        if (item != nullptr) item->RecomputeSpeed(clock_.TickCount(), clock_.MicroCount());
        stallTicks_ = 0;
        host_.Refresh();
    }
    if (++sampleTicks_ >= kTicksPerSample) {
        sampleTicks_ = 0;
        if (item != nullptr) {
            item->RecomputeSpeed(clock_.TickCount(), clock_.MicroCount());
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
        StopAttempt();
        host_.Refresh();
        RetryOrAdvance();
        return;
    }
    double deviation = 0;
    if (settings_.UseAutoStopStable != 0 &&
        StableDeviation(*item, settings_.AutoStopStableUnit, &deviation) &&
        settings_.AutoStopStableValue >= deviation) {
        FinishByRule(*item);
        return;
    }
    if (settings_.UseAutoStopTime != 0) {
        item->bytes = AttemptBytes();
        item->RecomputeSpeed(now, clock_.MicroCount());
        // The limit counts on the clock the duration is measured on, so a download the limit
        // ended never shows a duration short of it; without microseconds, on the tick.
        const uint64_t elapsed = !item->HasStarted()     ? 0
                                 : item->startMicro != 0 ? item->durationUs / 1000
                                                         : uint64_t{now - item->startTick};
        if (elapsed >= SecondsToMs(settings_.AutoStopTime)) {
            FinishByRule(*item);
            return;
        }
    }
    // Last: a download still running when its own rules end it on this very tick (a time
    // limit of the time-out's length on a silent body) is finished, not failed.
    if (item->status == DownloadStatus::Downloading &&
        static_cast<uint32_t>(now - AttemptDataTick()) >= receiveTimeoutMs_ && FailTimedOut()) {
        OnAttemptFailed(*item);
    }
}

void TestRun::TakeProgress(DownloadItem& item) {
    if (!transfer_) return;
    progressSeen_ = true;
    item.bytes = AttemptBytes();
    if (probes_) probes_->downloadBytes.store(item.bytes);
    if (item.startTime != 0) {
        item.RecomputeSpeed(AttemptDataTick(), AttemptDataMicro());
    } else {
        item.RecomputeSpeed(clock_.TickCount(), clock_.MicroCount());
    }
}

void TestRun::ApplySizeRule(DownloadItem& item) {
    if (settings_.UseAutoStopSize == 0) return;
    if (item.bytes >= AutoStopSizeBytes(settings_)) FinishByRule(item);
}

}  // namespace vm
