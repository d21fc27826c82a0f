#include "core/app/WatchSchedule.h"

#include <cstdio>

namespace vm {

void WatchSchedule::Start(uint32_t intervalSeconds, uint32_t runLimit) {
    if (intervalSeconds > kMaxWatchSeconds) intervalSeconds = kMaxWatchSeconds;
    intervalMs_ = intervalSeconds * 1000u;
    runLimit_ = runLimit;
    runsStarted_ = 0;
}

void WatchSchedule::RunStarted(uint32_t nowTick) {
    lastStartTick_ = nowTick;
    ++runsStarted_;
}

bool WatchSchedule::WantsAnotherRun() const {
    return Active() && (runLimit_ == 0 || runsStarted_ < runLimit_);
}

uint32_t WatchSchedule::MsUntilNextRun(uint32_t nowTick) const {
    const uint32_t elapsed = nowTick - lastStartTick_;
    return elapsed >= intervalMs_ ? 0 : intervalMs_ - elapsed;
}

std::string NextRunText(uint32_t msUntil, const char* format) {
    const uint32_t seconds = (msUntil + 999) / 1000;
    char text[128];
    std::snprintf(text, sizeof text, format, static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60));
    return text;
}

}  // namespace vm
