#pragma once
#include "core/platform/Clock.h"

namespace vm {

class WinClock : public Clock {
public:
    uint32_t TickCount() override;
    // QueryPerformanceCounter in microseconds.
    uint64_t MicroCount() override;
    FileTime SystemTimeUtc() override;
};

}  // namespace vm
