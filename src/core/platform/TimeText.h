#pragma once
#include <cstddef>
#include <cstdint>

#include "core/platform/Clock.h"

namespace vm {

// A broken-down date and time, as the platform's calendar record holds it.
struct CalendarTime {
    uint16_t year = 0;
    uint16_t month = 0;      // 1..12
    uint16_t dayOfWeek = 0;  // 0 = Sunday
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// Locale-dependent pieces of a time stamp's text. Each writer returns the length written
// (without the NUL), 0 on failure; the output is always NUL-terminated when size > 0.
class TimeTextSource {
public:
    virtual ~TimeTextSource() = default;
    virtual bool UtcToLocal(FileTime utc, FileTime* local) = 0;
    virtual size_t ShortDate(const CalendarTime& time, char* out, size_t size) = 0;
    virtual size_t TimeOfDay(const CalendarTime& time, char* out, size_t size) = 0;
};

}  // namespace vm
