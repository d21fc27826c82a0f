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

    uint32_t TickCount() override { return tick; }
    FileTime SystemTimeUtc() override { return utc; }
    void Advance(uint32_t ms) {
        tick += ms;
        utc += static_cast<FileTime>(ms) * 10000;
    }
};

}  // namespace vm::test
