#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/engine/ConnectionGroup.h"
#include "core/engine/DownloadItem.h"
#include "core/engine/DownloadTransfer.h"
#include "core/engine/ErrorText.h"
#include "core/engine/LatencyProbeJob.h"
#include "core/engine/RunMeasurements.h"
#include "core/engine/TransferContext.h"
#include "core/options/AppSettings.h"
#include "core/platform/Clock.h"
#include "core/platform/MessageTable.h"

namespace vm {

enum class RunState : int32_t { Stopped = 1, Running = 2 };

constexpr const char* kRunRequestHeaders = "Connection: Close";
constexpr int32_t kFtpModePassive = 2;
constexpr uint32_t kStallTicksPerRedraw = 10;
constexpr uint32_t kTicksPerSample = 5;
// An attempt that receives nothing this long while downloading fails as the library's own
// receive time-out would (error 12002): Wine never applies that time-out to a request.
constexpr uint32_t kReceiveTimeoutMs = kInternetTimeoutMs;

// What the test run needs from the window that hosts it and the list that stores the items.
class TestRunHost {
public:
    virtual ~TestRunHost() = default;
    // The item at a storage index, or nullptr past the end.
    virtual DownloadItem* ItemAt(size_t storageIndex) = 0;
    // Items changed. The window shows them at its next timer step, once however many
    // changes came, and not while it is hidden: this is called for every change.
    virtual void Refresh() = 0;
    // The run started or stopped: the shell updates its commands.
    virtual void OnRunStateChanged() = 0;
    // The run has ended: the end-of-run report.
    virtual void OnRunEnded() = 0;
};

// Runs the enabled items one after another, one transfer at a time, on the GUI thread.
class TestRun {
public:
    TestRun(TestRunHost& host, const AppSettings& settings, Clock& clock, MessageTable& messages,
            TransferContext& transfers, uintptr_t window);
    ~TestRun();

    void StartTest();
    void StopTest();
    // Ends the run at once with every item as it stands (the end of the session): the
    // current item keeps its status and the bytes counted so far.
    void InterruptTest();
    void MoveToNextDownload();
    // WM_TRANSFER_EVENT: the code and the serial of the transfer that posted it.
    void OnTransferEvent(uint32_t code, uint32_t serial);
    // The 200 ms timer.
    void OnSampleTick();
    // What the latest run measured beyond the items' own results.
    const RunMeasurements& Measurements() const { return measurements_; }

    RunState State() const { return runState_; }
    bool IsRunning() const { return runState_ == RunState::Running; }
    size_t CurrentIndex() const { return currentIndex_; }
    const DownloadTransfer* CurrentTransfer() const { return transfer_.get(); }
    // What the current attempt's latency probes have measured so far (not measured: none).
    LatencyResult CurrentLatency() const { return probes_ ? probes_->Result() : LatencyResult(); }
    // Tests shorten the receive time-out; the program keeps kReceiveTimeoutMs.
    void SetReceiveTimeoutMs(uint32_t ms) { receiveTimeoutMs_ = ms; }

private:
    // Every status the run gives an item goes through here (checked and traced).
    void SetStatus(DownloadItem& item, DownloadStatus to);
    void StartNextItem();
    // The current item failed: the next attempt is a retry of it or the next item.
    void ChooseNextAttempt();
    void RetryOrAdvance();
    void EndRun();
    // Keeps what the current attempt's transfer measured, before it goes, and judges the
    // item's speed against its minimum.
    void CloseAttempt();
    void RecordSample(const DownloadItem& item);
    void CheckAutoStop();
    // Takes the transfer's count into the downloading item. Progress is posted at most
    // every 100 ms, and not at all after a burst that a stall follows: the sample tick
    // reads the count itself.
    void TakeProgress(DownloadItem& item);
    void ApplySizeRule(DownloadItem& item);
    // Ends the current item's measurement as it stands and starts the next one.
    void StopAndAdvance(bool repeatsGoOn = true);
    // The current item ended a measurement: the next attempt is its next measurement (an
    // item measured several times in a row) or the next item.
    void AdvanceItem(bool repeatsGoOn = true);
    // Keeps the measurement just ended; true when the item is to be measured again (its
    // results reset for that), false when it is done and shows the outcome of them all.
    bool EndMeasurement(bool repeatsGoOn);
    // A rule (time, size, stable speed) ends the item: finished, then the comparison's
    // second attempt or the next item.
    void FinishByRule(DownloadItem& item);
    void AdvanceAfterFinish(DownloadItem& item);
    // Every connection of the attempt: the first request and the parts it led to.
    void StopAttempt();
    void StartParts(const DownloadItem& item);
    bool AttemptFinished() const;
    uint64_t AttemptBytes() const;
    uint32_t AttemptDataTick() const;
    uint64_t AttemptDataMicro() const;  // the latest data of any connection; 0: none yet
    // A connection of the attempt failed by the receive time-out (failedTransfer_ says which).
    bool FailTimedOut();
    // The attempt failed with the transfer's error: record it, then retry or move on.
    void OnAttemptFailed(DownloadItem& item);
    void RecordFailure(DownloadItem& item);
    // Bytes the transfer counted after the item's last update are kept when it is ended.
    void KeepCountedBytes(DownloadItem& item);
    // The item's latency probes: true when they started (the download then opens once the
    // idle ones are done).
    bool StartProbes(const DownloadItem& item);
    // Opens the current item's download; false (the failure recorded) when it failed at once.
    bool OpenCurrent(DownloadItem& item);
    // Stops the probes and keeps what they measured.
    void StopProbes();

    TestRunHost& host_;
    const AppSettings& settings_;
    Clock& clock_;
    ErrorTexts errorTexts_;
    TransferContext& transfers_;
    uintptr_t window_;

    RunState runState_ = RunState::Stopped;
    size_t currentIndex_ = 0;
    std::unique_ptr<DownloadTransfer> transfer_;
    // A download on several connections: the parts beside transfer_ (the first request).
    std::unique_ptr<ConnectionGroup> parts_;
    // The transfer whose failure ends the attempt; nullptr: transfer_.
    const DownloadTransfer* failedTransfer_ = nullptr;
    int32_t attemptConnections_ = 1;
    enum class CompareStage { None, Single, Multi };
    CompareStage compareStage_ = CompareStage::None;
    size_t compareIndex_ = SIZE_MAX;  // the item the stage is of
    double singleBytesPerSecond_ = 0;
    size_t attemptIndex_ = 0;  // the item of the current transfer
    RunMeasurements measurements_;
    uint32_t stallTicks_ = 0;
    uint32_t sampleTicks_ = 0;
    bool progressSeen_ = false;
    uint32_t receiveTimeoutMs_ = kReceiveTimeoutMs;
    // Attempts refused at once took the whole turn: the next sample tick starts the next.
    bool startPending_ = false;
    std::shared_ptr<LatencyProbeJob> probes_;
    ThreadRef probeThread_ = 0;
};

// The item is probed for latency: an http(s) URL whose LatencyProbe or the default asks.
bool WantsLatencyProbes(const DownloadItem& item, const AppSettings& settings);

}  // namespace vm
