#include "core/engine/RepeatRules.h"

#include <algorithm>

#include "core/engine/SteadySpeed.h"

namespace vm {

int32_t EffectiveRepeat(const DownloadItem& item, const AppSettings& settings) {
    const int32_t count = item.repeat > 0 ? item.repeat : settings.DefaultRepeat;
    return std::clamp(count, int32_t{1}, kMaxRepeat);
}

RepeatResult RepeatOf(const DownloadItem& item, const ItemMeasurements* measurements) {
    RepeatResult r;
    r.status = item.status;
    r.bytes = item.bytes;
    r.durationMs = item.duration;
    r.durationUs = item.durationUs;
    r.averageBytesPerSecond = item.speedKBps * 1024;
    r.speedKBps = item.speedKBps;
    r.speedKbitps = item.speedKbitps;
    if (measurements != nullptr)
        r.hasSteady = SteadySpeed(measurements->samples, &r.steadyBytesPerSecond);
    r.startTime = item.startTime;
    r.errorCode = item.errorCode;
    r.serverStatus = item.serverStatus;
    r.errorText = item.errorText;
    r.retries = item.retries;
    return r;
}

double RepeatSpeed(const RepeatResult& repeat) {
    return repeat.hasSteady ? repeat.steadyBytesPerSecond : repeat.averageBytesPerSecond;
}

SpeedStats RepeatSpeedStats(const std::vector<RepeatResult>& repeats) {
    std::vector<double> speeds;
    for (const RepeatResult& r : repeats) {
        if (r.status == DownloadStatus::Finished) speeds.push_back(RepeatSpeed(r));
    }
    return ComputeSpeedStats(std::move(speeds));
}

void ShowRepeatOutcome(DownloadItem& item, const std::vector<RepeatResult>& repeats) {
    if (repeats.empty()) return;
    std::vector<const RepeatResult*> finished;
    const RepeatResult* firstFailure = nullptr;
    for (const RepeatResult& r : repeats) {
        if (r.status == DownloadStatus::Finished) {
            finished.push_back(&r);
        } else if (firstFailure == nullptr) {
            firstFailure = &r;
        }
    }
    std::stable_sort(finished.begin(), finished.end(),
                     [](const RepeatResult* a, const RepeatResult* b) {
                         return RepeatSpeed(*a) < RepeatSpeed(*b);
                     });
    const RepeatResult& shown =
        finished.empty() ? *firstFailure : *finished[(finished.size() - 1) / 2];
    // A restore of a measurement already made, not a step of the attempt: the status is
    // set as the measurements ended.
    item.bytes = shown.bytes;
    item.duration = shown.durationMs;
    item.durationUs = shown.durationUs;
    item.speedKBps = shown.speedKBps;
    item.speedKbitps = shown.speedKbitps;
    if (shown.startTime != 0) item.startTime = shown.startTime;
    const RepeatResult& status = firstFailure != nullptr ? *firstFailure : shown;
    item.status = status.status;
    item.errorCode = status.errorCode;
    item.serverStatus = status.serverStatus;
    item.SetErrorText(status.errorText);
}

bool ItemConfidence(const DownloadItem& item, const ItemMeasurements* measurements,
                    SpeedStats* stats, Confidence* confidence) {
    if (item.disabled != 0 || item.status != DownloadStatus::Finished) return false;
    if (measurements != nullptr && measurements->repeats.size() >= 2) {
        *stats = RepeatSpeedStats(measurements->repeats);
    } else {
        double steady = 0;
        std::vector<double> rates;
        *stats = measurements != nullptr && SteadySpeed(measurements->samples, &steady, &rates)
                     ? ComputeSpeedStats(std::move(rates))
                     : SpeedStats();
    }
    *confidence = JudgeConfidence(*stats);
    return true;
}

}  // namespace vm
