#pragma once
#include <cstdint>

namespace vm {

// File times are 100-nanosecond intervals since 1601-01-01 UTC, as the platform counts them.
using FileTime = uint64_t;

// The clocks the engine reads: a millisecond tick counter that wraps every 49.7 days
// (differences are taken in unsigned 32-bit arithmetic; time limits and time-outs count
// on it), a microsecond counter that durations, speeds, samples and phases are measured
// with (the tick moves in steps of 10-16 ms, too coarse for a download of a second), and
// the wall clock in UTC.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
    // Microseconds since some fixed moment, never going back; 64 bits never wrap.
    virtual uint64_t MicroCount() = 0;
    virtual FileTime SystemTimeUtc() = 0;
};

}  // namespace vm
