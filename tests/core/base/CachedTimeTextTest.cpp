#include <gtest/gtest.h>

#include <string>

#include "core/base/CachedTimeText.h"
#include "support/FakeTimeText.h"

namespace vm {
namespace {

class CountingTimeText : public test::FakeTimeText {
public:
    int dates = 0;
    bool failDates = false;
    size_t ShortDate(const CalendarTime& t, char* out, size_t size) override {
        ++dates;
        if (failDates) return 0;
        return FakeTimeText::ShortDate(t, out, size);
    }
};

CalendarTime Day(uint16_t year, uint16_t month, uint16_t day, uint16_t hour) {
    CalendarTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    return t;
}

std::string Date(CachedTimeText& cache, const CalendarTime& t, size_t size = 64) {
    char out[64];
    const size_t length = cache.ShortDate(t, out, size);
    return length == 0 ? std::string() : std::string(out, length);
}

TEST(CachedTimeTextTest, SameDateAsksTheSourceOnce) {
    CountingTimeText source;
    CachedTimeText cache(&source);
    EXPECT_EQ(Date(cache, Day(2026, 3, 4, 1)), "2026-03-04");
    EXPECT_EQ(Date(cache, Day(2026, 3, 4, 23)), "2026-03-04");
    EXPECT_EQ(source.dates, 1);
    EXPECT_EQ(Date(cache, Day(2026, 3, 5, 0)), "2026-03-05");
    EXPECT_EQ(Date(cache, Day(2026, 4, 5, 0)), "2026-04-05");
    EXPECT_EQ(source.dates, 3);
}

TEST(CachedTimeTextTest, FailuresAndShortBuffersAreNotServedFromTheCache) {
    CountingTimeText source;
    CachedTimeText cache(&source);
    source.failDates = true;
    EXPECT_EQ(Date(cache, Day(2026, 3, 4, 1)), "");
    source.failDates = false;
    EXPECT_EQ(Date(cache, Day(2026, 3, 4, 1)), "2026-03-04");
    EXPECT_EQ(Date(cache, Day(2026, 3, 4, 1), 5), "");  // does not fit
    EXPECT_EQ(source.dates, 2);
}

}  // namespace
}  // namespace vm
