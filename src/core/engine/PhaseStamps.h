#pragma once
#include <atomic>
#include <cstdint>

namespace vm {

// Statuses the Internet library reports on the way to a response, as it numbers them.
constexpr uint32_t kStatusNameResolved = 11;
constexpr uint32_t kStatusConnectedToServer = 21;
constexpr uint32_t kStatusRequestSent = 31;

// The steps of a request the library reports, in the order they happen.
enum LibraryPhase : int {
    kPhaseNameResolved = 0,
    kPhaseConnected = 1,
    kPhaseRequestSent = 2,
    kLibraryPhaseCount = 3,
};

// When the library reported each step of one attempt: stamped on the library's thread
// as the reports happen (posting them would only tell when the GUI got round to them),
// read on the GUI thread. The first report of a step is kept, so a redirect does not
// move the steps of the first connection.
class PhaseStamps {
public:
    // Stamps the step a status reports, on both clocks; false (nothing stamped) for other
    // statuses.
    bool Stamp(uint32_t status, uint32_t tick, uint64_t micro = 0) {
        const int phase = PhaseOfStatus(status);
        if (phase < 0) return false;
        const uint32_t bit = 1u << phase;
        if ((seen_.load() & bit) == 0) {
            ticks_[phase].store(tick);
            micros_[phase].store(micro);
            seen_.fetch_or(bit);
        }
        return true;
    }
    // The microsecond stamp of a step; false when the library has not reported it.
    bool GetMicro(int phase, uint64_t* micro) const {
        if (phase < 0 || phase >= kLibraryPhaseCount) return false;
        if ((seen_.load() & (1u << phase)) == 0) return false;
        *micro = micros_[phase].load();
        return true;
    }
    // The tick of a step; false when the library has not reported it.
    bool Get(int phase, uint32_t* tick) const {
        if (phase < 0 || phase >= kLibraryPhaseCount) return false;
        if ((seen_.load() & (1u << phase)) == 0) return false;
        *tick = ticks_[phase].load();
        return true;
    }

    static int PhaseOfStatus(uint32_t status) {
        switch (status) {
            case kStatusNameResolved:
                return kPhaseNameResolved;
            case kStatusConnectedToServer:
                return kPhaseConnected;
            case kStatusRequestSent:
                return kPhaseRequestSent;
            default:
                return -1;
        }
    }

private:
    std::atomic<uint32_t> ticks_[kLibraryPhaseCount] = {};
    std::atomic<uint64_t> micros_[kLibraryPhaseCount] = {};
    std::atomic<uint32_t> seen_{0};
};

}  // namespace vm
