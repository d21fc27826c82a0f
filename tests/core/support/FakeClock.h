#pragma once
#include <atomic>

#include "core/platform/Clock.h"

namespace vm::test {

// A clock that moves only when told; ticks may be set near the wrap.
class FakeClock : public Clock {
public:
    // Atomic: local-file workers read the clock from their own threads.
    std::atomic<uint32_t> tick{1000};
    std::atomic<FileTime> utc{0x01D9000000000000ULL};
    // Moves with the tick, and alone through AdvanceMicro.
    std::atomic<uint64_t> micro{5000000000ULL};

    uint32_t TickCount() override { return tick; }
    uint64_t MicroCount() override { return micro; }
    FileTime SystemTimeUtc() override { return utc; }
    void Advance(uint32_t ms) {
        tick += ms;
        micro += static_cast<uint64_t>(ms) * 1000;
        utc += static_cast<FileTime>(ms) * 10000;
    }
    void AdvanceMicro(uint64_t us) { micro += us; }
};

}  // namespace vm::test
