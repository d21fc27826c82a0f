#pragma once
#include "platform/Clock.h"

namespace vm::test {

// A clock that moves only when told; ticks may be set near the wrap.
class FakeClock : public Clock {
  public:
    uint32_t tick = 1000;
    FileTime utc = 0x01D9000000000000ULL;

    uint32_t TickCount() override { return tick; }
    FileTime SystemTimeUtc() override { return utc; }
    void Advance(uint32_t ms) {
        tick += ms;
        utc += static_cast<FileTime>(ms) * 10000;
    }
};

}  // namespace vm::test
