#pragma once
#include "core/platform/Clock.h"
#include "core/platform/TimeText.h"

namespace vm {

constexpr FileTime kFileTimeTicksPerMs = 10000;
constexpr FileTime kFileTimeTicksPerDay = 864000000000ULL;

// Breaks a file time into its calendar date and time (proleptic Gregorian, as the
// platform does). False for values the platform refuses: those with the top bit set.
bool FileTimeToCalendar(FileTime time, CalendarTime* out);

// The inverse, for tests and for building time stamps; false for an invalid date.
bool CalendarToFileTime(const CalendarTime& time, FileTime* out);

}  // namespace vm
