#pragma once
#include <cstdio>

#include "core/platform/TimeText.h"

namespace vm::test {

// A fixed "locale": ISO date and 24-hour time, local time = UTC + offsetHours.
class FakeTimeText : public TimeTextSource {
public:
    int offsetHours = 2;
    bool failLocal = false;

    bool UtcToLocal(FileTime utc, FileTime* local) override {
        if (failLocal) return false;
        *local = utc + static_cast<FileTime>(offsetHours) * 36000000000ULL;
        return true;
    }
    size_t ShortDate(const CalendarTime& t, char* out, size_t size) override {
        const int n = std::snprintf(out, size, "%04u-%02u-%02u", t.year, t.month, t.day);
        return n > 0 && static_cast<size_t>(n) < size ? static_cast<size_t>(n) : 0;
    }
    size_t TimeOfDay(const CalendarTime& t, char* out, size_t size) override {
        const int n = std::snprintf(out, size, "%02u:%02u:%02u", t.hour, t.minute, t.second);
        return n > 0 && static_cast<size_t>(n) < size ? static_cast<size_t>(n) : 0;
    }
};

}  // namespace vm::test
