#include "core/engine/RunMeasurements.h"

namespace vm {
namespace {

// Ticks from the attempt's start; a stamp from before it (it cannot happen, but the
// tick counter is unsigned) counts as at the start.
uint32_t SinceAttempt(uint32_t tick, uint32_t attemptTick) {
    const uint32_t ms = tick - attemptTick;
    return ms > 0x7FFFFFFFu ? 0 : ms;
}

// Microseconds from the attempt's start; the millisecond figure when either moment was
// not stamped on the microsecond clock.
uint64_t MicrosSinceAttempt(uint64_t micro, uint64_t attemptMicro, uint32_t ms) {
    if (micro == 0 || attemptMicro == 0) return uint64_t{ms} * 1000;
    return micro > attemptMicro ? micro - attemptMicro : 0;
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

void RunMeasurements::StartAttempt(size_t index, uint32_t tick, uint64_t micro) {
    ItemMeasurements& item = At(index);
    const uint32_t attempts = item.attempts + 1;
    std::vector<RepeatResult> repeats = std::move(item.repeats);
    item = ItemMeasurements();
    item.attempts = attempts;
    item.attemptTick = tick;
    item.attemptMicro = micro;
    item.repeats = std::move(repeats);
}

void RunMeasurements::EndAttempt(size_t index, int32_t httpStatus, const PhaseStamps& phases,
                                 bool accepted, uint32_t acceptedTick, uint64_t acceptedMicro) {
    ItemMeasurements& item = At(index);
    item.httpStatus = httpStatus;
    for (int phase = 0; phase < kLibraryPhaseCount; ++phase) {
        uint32_t tick = 0;
        if (phases.Get(phase, &tick)) {
            item.hasPhase[phase] = true;
            item.phaseMs[phase] = SinceAttempt(tick, item.attemptTick);
            uint64_t micro = 0;
            (void)phases.GetMicro(phase, &micro);
            item.phaseUs[phase] = MicrosSinceAttempt(micro, item.attemptMicro, item.phaseMs[phase]);
        }
    }
    if (accepted) {
        item.hasPhase[kAttemptFirstByte] = true;
        item.phaseMs[kAttemptFirstByte] = SinceAttempt(acceptedTick, item.attemptTick);
        item.phaseUs[kAttemptFirstByte] =
            MicrosSinceAttempt(acceptedMicro, item.attemptMicro, item.phaseMs[kAttemptFirstByte]);
    }
}

void RunMeasurements::AddSample(size_t index, const SpeedSample& sample) {
    ItemMeasurements& item = At(index);
    if (item.samples.size() < kMaxSpeedSamples) item.samples.push_back(sample);
}

}  // namespace vm
