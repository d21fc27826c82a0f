#pragma once
#include <gtest/gtest.h>

#include "core/base/FileTimeCalendar.h"

namespace vm::test {

// A file time for a UTC calendar moment; fails the test for an invalid date.
inline FileTime UtcTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour = 0,
                        uint16_t minute = 0, uint16_t second = 0) {
    CalendarTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    FileTime ft = 0;
    EXPECT_TRUE(CalendarToFileTime(t, &ft));
    return ft;
}

}  // namespace vm::test
