#include "win32/platform/WinClock.h"

#include <windows.h>

namespace vm {
namespace {

// The counter's frequency is fixed at boot: asked once.
uint64_t CounterFrequency() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? static_cast<uint64_t>(f.QuadPart)
                                                               : uint64_t{0};
    }();
    return frequency;
}

}  // namespace

uint32_t WinClock::TickCount() { return GetTickCount(); }

uint64_t WinClock::MicroCount() {
    const uint64_t frequency = CounterFrequency();
    LARGE_INTEGER count;
    if (frequency == 0 || !QueryPerformanceCounter(&count)) {
        return static_cast<uint64_t>(GetTickCount()) * 1000;  // never on XP and later
    }
    const uint64_t ticks = static_cast<uint64_t>(count.QuadPart);
    // Whole seconds and the rest apart: ticks * 10^6 overflows after a few days of uptime
    // at a 10 MHz counter.
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

FileTime WinClock::SystemTimeUtc() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace vm
