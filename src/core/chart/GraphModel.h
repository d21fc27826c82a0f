#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/chart/SpeedChart.h"
#include "core/chart/SpeedTrace.h"
#include "core/engine/DownloadItem.h"
#include "core/engine/RunMeasurements.h"
#include "core/options/AppSettings.h"

namespace vm {

class DownloadListView;

// What the graph sees of the test run at a moment; the window fills it from the run and
// the transfer under way, tests fill it by hand.
struct GraphRunView {
    bool running = false;
    size_t currentIndex = SIZE_MAX;
    const RunMeasurements* measurements = nullptr;  // nullptr: no run yet
    // Of the transfer under way for the current item, while there is one:
    bool hasTransfer = false;
    uint64_t transferBytes = 0;
    bool hasPhaseTick[kAttemptPhaseCount] = {};
    uint32_t phaseTick[kAttemptPhaseCount] = {};
    PathIdentity transferServer;    // which server answers, as far as known yet
    LatencyResult transferLatency;  // what its latency probes measured so far
};

// What the speed graph shows and where its points come from: the traces of the run, which
// rows it follows (the download under test, or the rows the user picked), the steady
// speed worked out once per new sample, and the phase times of each subject.
class GraphModel {
public:
    // A run starts: every trace goes and the graph follows the download under test.
    void OnRunStarting();
    // The one place the graph takes a sample: the current item's time and bytes, the
    // bytes its transfer has counted beyond the list's. nowTick is the clock's tick count.
    void Sample(const GraphRunView& run, const std::vector<DownloadItem>& items,
                const AppSettings& settings, uint32_t nowTick);
    // The user changed the selection; selected are the storage indexes of the selected
    // rows in row order. A row other than the one under test takes the graph from the
    // run; picking that one gives it back.
    void OnSelectionChanged(const GraphRunView& run, const std::vector<size_t>& selected);
    // The items the graph shows, at most kMaxComparedSeries of them.
    std::vector<size_t> SubjectIndexes(const GraphRunView& run,
                                       const std::vector<size_t>& selected) const;
    // The chart of the items the graph shows.
    SpeedChart Chart(const GraphRunView& run, const std::vector<DownloadItem>& items,
                     const std::vector<size_t>& selected, const AppSettings& settings,
                     const ChartFrame& frame);

    bool FollowsRun() const { return followsRun_; }
    RunSpeedTraces& Traces() { return traces_; }

    // The storage indexes of the list's selected rows in row order, at most max of them.
    static std::vector<size_t> SelectedIndexes(const DownloadListView& list, size_t max);

private:
    ChartSubject Subject(const GraphRunView& run, const DownloadItem& item, size_t index,
                         const AppSettings& settings);

    RunSpeedTraces traces_;
    bool followsRun_ = true;
    // The steady speed of the latest subject, worked out again only when a sample came.
    size_t steadyIndex_ = SIZE_MAX;
    size_t steadySamples_ = 0;
    bool steadyKnown_ = false;
    double steadyBytesPerSecond_ = 0;
};

}  // namespace vm
