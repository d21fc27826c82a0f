#include <gtest/gtest.h>

#include "core/base/FileTimeCalendar.h"

namespace vm {
namespace {

TEST(FileTimeCalendar, KnownMoments) {
    CalendarTime t;
    ASSERT_TRUE(FileTimeToCalendar(0, &t));
    EXPECT_EQ(t.year, 1601);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.dayOfWeek, 1);  // Monday

    // 1970-01-01 00:00:00 UTC, a Thursday.
    ASSERT_TRUE(FileTimeToCalendar(116444736000000000ULL, &t));
    EXPECT_EQ(t.year, 1970);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.dayOfWeek, 4);

    // 2000-02-29 13:14:15.678 UTC, a Tuesday.
    ASSERT_TRUE(FileTimeToCalendar(125963036556780000ULL, &t));
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);
    EXPECT_EQ(t.dayOfWeek, 2);
    EXPECT_EQ(t.hour, 13);
    EXPECT_EQ(t.minute, 14);
    EXPECT_EQ(t.second, 15);
    EXPECT_EQ(t.milliseconds, 678);
}

TEST(FileTimeCalendar, TopBitRefused) {
    CalendarTime t;
    EXPECT_FALSE(FileTimeToCalendar(0x8000000000000000ULL, &t));
    EXPECT_TRUE(FileTimeToCalendar(0x7FFFFFFFFFFFFFFFULL, &t));
    EXPECT_EQ(t.year, 30828);
}

TEST(FileTimeCalendar, RoundTripAndInvalidDates) {
    for (uint16_t year : {1601, 1900, 1985, 2000, 2038, 2100, 9999}) {
        for (uint16_t month = 1; month <= 12; ++month) {
            CalendarTime in;
            in.year = year;
            in.month = month;
            in.day = month == 2 ? 28 : 30;
            in.hour = 23;
            in.minute = 59;
            in.second = 58;
            FileTime ft = 0;
            ASSERT_TRUE(CalendarToFileTime(in, &ft));
            CalendarTime out;
            ASSERT_TRUE(FileTimeToCalendar(ft, &out));
            EXPECT_EQ(out.year, in.year);
            EXPECT_EQ(out.month, in.month);
            EXPECT_EQ(out.day, in.day);
            EXPECT_EQ(out.second, in.second);
        }
    }
    CalendarTime bad;
    bad.year = 1900;
    bad.month = 2;
    bad.day = 29;  // 1900 is no leap year
    FileTime ft = 0;
    EXPECT_FALSE(CalendarToFileTime(bad, &ft));
    bad.year = 2000;
    EXPECT_TRUE(CalendarToFileTime(bad, &ft));
}

}  // namespace
}  // namespace vm
