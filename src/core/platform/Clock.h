#pragma once
#include <cstdint>

namespace vm {

// File times are 100-nanosecond intervals since 1601-01-01 UTC, as the platform counts them.
using FileTime = uint64_t;

// The two clocks the engine reads: a millisecond tick counter that wraps every 49.7 days
// (differences are taken in unsigned 32-bit arithmetic), and the wall clock in UTC.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
    virtual FileTime SystemTimeUtc() = 0;
};

}  // namespace vm
