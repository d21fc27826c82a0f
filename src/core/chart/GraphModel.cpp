#include "core/chart/GraphModel.h"

#include <algorithm>

#include "core/chart/ConfidenceText.h"
#include "core/chart/SeriesPalette.h"
#include "core/engine/SpeedRules.h"
#include "core/engine/SpeedThreshold.h"
#include "core/engine/SteadySpeed.h"
#include "core/list/DownloadListView.h"
#include "core/list/LatencyText.h"
#include "core/list/PathTexts.h"

namespace vm {
namespace {

std::vector<ChartPoint> LoadedLatencyPoints(const LatencyResult& latency) {
    std::vector<ChartPoint> points;
    const size_t count = std::min(latency.loadedMs.size(), latency.loadedAtSeconds.size());
    points.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        points.push_back({latency.loadedAtSeconds[i], latency.loadedMs[i]});
    }
    return points;
}

}  // namespace

void GraphModel::OnRunStarting() {
    traces_.Clear();
    steadyIndex_ = SIZE_MAX;
    followsRun_ = true;
}

void GraphModel::Sample(const GraphRunView& run, const std::vector<DownloadItem>& items,
                        const AppSettings& settings, uint32_t nowTick) {
    if (!run.running || run.currentIndex >= items.size()) return;
    const DownloadItem& item = items[run.currentIndex];
    if (!item.HasStarted()) return;
    uint32_t ms = item.duration;
    uint64_t bytes = item.bytes;
    if (item.status == DownloadStatus::Downloading) {
        // Between the list's own updates the transfer has counted more.
        ms = nowTick - item.startTick;
        if (run.hasTransfer) bytes = std::max(bytes, run.transferBytes);
    }
    const uint64_t sizeLimit = settings.UseAutoStopSize ? AutoStopSizeBytes(settings) : 0;
    traces_.Record(run.currentIndex, item.startTime, ms, bytes, sizeLimit);
}

void GraphModel::OnSelectionChanged(const GraphRunView& run, const std::vector<size_t>& selected) {
    if (!run.running || selected.empty()) return;
    followsRun_ = selected.size() == 1 && selected[0] == run.currentIndex;
}

std::vector<size_t> GraphModel::SubjectIndexes(const GraphRunView& run,
                                               const std::vector<size_t>& selected) const {
    if (run.running && followsRun_) return {run.currentIndex};
    std::vector<size_t> indexes = selected;
    if (indexes.size() > kMaxComparedSeries) indexes.resize(kMaxComparedSeries);
    return indexes;
}

std::vector<size_t> GraphModel::SelectedIndexes(const DownloadListView& list, size_t max) {
    std::vector<size_t> indexes;
    for (int64_t row = list.NextSelectedRow(kAllRows); row >= 0 && indexes.size() < max;
         row = list.NextSelectedRow(row)) {
        size_t index = 0;
        if (list.ItemOfRow(static_cast<size_t>(row), &index)) indexes.push_back(index);
    }
    return indexes;
}

ChartSubject GraphModel::Subject(const GraphRunView& run, const DownloadItem& item, size_t index,
                                 const AppSettings& settings) {
    ChartSubject subject;
    subject.name = item.name.empty() ? item.url : item.name;
    subject.trace = traces_.ForItem(index);
    if (subject.trace != nullptr && subject.trace->startTime != item.startTime) {
        subject.trace = nullptr;  // a trace of an earlier attempt or run
    }
    subject.started = item.HasStarted();
    subject.finished = item.status == DownloadStatus::Finished;
    subject.failed =
        item.status == DownloadStatus::Failed || item.status == DownloadStatus::ConnectTimeout;
    subject.durationMs = item.duration;
    subject.averageBytesPerSecond = item.speedKBps * 1024;
    subject.minSpeedBytesPerSecond = 1024.0 * EffectiveMinSpeed(item, settings);
    subject.bytes = item.bytes;
    const ItemMeasurements* measured =
        run.measurements != nullptr ? run.measurements->ForItem(index) : nullptr;
    if (measured != nullptr && subject.trace != nullptr) {
        for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
            subject.hasPhase[phase] = measured->hasPhase[phase];
            subject.phaseMs[phase] = measured->phaseMs[phase];
        }
        if (index != steadyIndex_ || measured->samples.size() != steadySamples_) {
            steadyIndex_ = index;
            steadySamples_ = measured->samples.size();
            steadyKnown_ = SteadySpeed(measured->samples, &steadyBytesPerSecond_);
        }
        subject.hasSteady = steadyKnown_;
        subject.steadyBytesPerSecond = steadyBytesPerSecond_;
        subject.pathFigures = PathFigures(measured->server);
        subject.latencyText = LatencyText(measured->latency);
        subject.loadedLatency = LoadedLatencyPoints(measured->latency);
        if (measured->connections.used > 1) subject.connections = measured->connections.used;
    }
    // The attempt under way has its steps only on its transfer until it ends.
    if (run.running && run.hasTransfer && index == run.currentIndex) {
        for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
            if (!run.hasPhaseTick[phase]) continue;
            subject.hasPhase[phase] = true;
            subject.phaseMs[phase] = run.phaseTick[phase] - item.attemptTick;
        }
        subject.pathFigures = PathFigures(run.transferServer);
        subject.latencyText = LatencyText(run.transferLatency);
        subject.loadedLatency = LoadedLatencyPoints(run.transferLatency);
    }
    return subject;
}

SpeedChart GraphModel::Chart(const GraphRunView& run, const std::vector<DownloadItem>& items,
                             const std::vector<size_t>& selected, const AppSettings& settings,
                             const ChartFrame& frame) {
    std::vector<ChartSubject> subjects;
    for (size_t index : SubjectIndexes(run, selected)) {
        if (index >= items.size()) continue;
        ChartSubject subject = Subject(run, items[index], index, settings);
        const ItemMeasurements* measured =
            run.measurements != nullptr ? run.measurements->ForItem(index) : nullptr;
        subject.confidence = ConfidenceFigures(items[index], measured, frame.unit);
        subjects.push_back(std::move(subject));
    }
    return BuildSpeedChart(subjects, frame);
}

}  // namespace vm
