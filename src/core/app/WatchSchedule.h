#pragma once
#include <cstdint>
#include <string>

namespace vm {

// Longest interval between two runs: a day.
constexpr uint32_t kMaxWatchSeconds = 24 * 60 * 60;
constexpr int32_t kMaxWatchMinutes = 1440;

// Runs of the whole test one interval apart, measured from the start of one run to the
// start of the next: a run that takes longer than the interval delays the next, which then
// starts as soon as it ends. Times are millisecond ticks (differences wrap safely).
class WatchSchedule {
public:
    // intervalSeconds 0: no watch; runLimit 0: no limit.
    void Start(uint32_t intervalSeconds, uint32_t runLimit);
    void Stop() { intervalMs_ = 0; }
    bool Active() const { return intervalMs_ != 0; }

    void RunStarted(uint32_t nowTick);
    // After a run has ended: whether another is due (a limit not yet reached).
    bool WantsAnotherRun() const;
    // Milliseconds until the next run may start; 0 when it is due.
    uint32_t MsUntilNextRun(uint32_t nowTick) const;
    uint32_t RunsStarted() const { return runsStarted_; }

private:
    uint32_t intervalMs_ = 0;
    uint32_t runLimit_ = 0;
    uint32_t runsStarted_ = 0;
    uint32_t lastStartTick_ = 0;
};

// The time to the next run as the status bar shows it: minutes and seconds, rounded up to
// a whole second ("4:32" is 4 minutes 31.2 seconds), into the format "Next run in %d:%02d".
std::string NextRunText(uint32_t msUntil, const char* format);

}  // namespace vm
