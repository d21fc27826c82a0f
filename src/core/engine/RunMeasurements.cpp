#include "core/engine/RunMeasurements.h"

namespace vm {
namespace {

// Ticks from the attempt's start; a stamp from before it (it cannot happen, but the
// tick counter is unsigned) counts as at the start.
uint32_t SinceAttempt(uint32_t tick, uint32_t attemptTick) {
    const uint32_t ms = tick - attemptTick;
    return ms > 0x7FFFFFFFu ? 0 : ms;
}

}  // namespace

void RunMeasurements::StartRun(FileTime now, size_t itemCount) {
    started_ = now;
    ended_ = 0;
    items_.assign(itemCount, ItemMeasurements());
}

ItemMeasurements& RunMeasurements::At(size_t index) {
    // Items added while the run goes on get their record when they are reached.
    if (index >= items_.size()) items_.resize(index + 1);
    return items_[index];
}

void RunMeasurements::StartAttempt(size_t index, uint32_t tick) {
    ItemMeasurements& item = At(index);
    const uint32_t attempts = item.attempts + 1;
    item = ItemMeasurements();
    item.attempts = attempts;
    item.attemptTick = tick;
}

void RunMeasurements::EndAttempt(size_t index, int32_t httpStatus, const PhaseStamps& phases,
                                 bool accepted, uint32_t acceptedTick) {
    ItemMeasurements& item = At(index);
    item.httpStatus = httpStatus;
    for (int phase = 0; phase < kLibraryPhaseCount; ++phase) {
        uint32_t tick = 0;
        if (phases.Get(phase, &tick)) {
            item.hasPhase[phase] = true;
            item.phaseMs[phase] = SinceAttempt(tick, item.attemptTick);
        }
    }
    if (accepted) {
        item.hasPhase[kAttemptFirstByte] = true;
        item.phaseMs[kAttemptFirstByte] = SinceAttempt(acceptedTick, item.attemptTick);
    }
}

void RunMeasurements::AddSample(size_t index, const SpeedSample& sample) {
    ItemMeasurements& item = At(index);
    if (item.samples.size() < kMaxSpeedSamples) item.samples.push_back(sample);
}

}  // namespace vm
