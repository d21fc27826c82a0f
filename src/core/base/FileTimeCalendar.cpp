#include "core/base/FileTimeCalendar.h"

namespace vm {
namespace {

// Days between 1601-01-01 and 1970-01-01.
constexpr int64_t kDays1601To1970 = 134774;

// Civil date from days since 1970-01-01 (H. Hinnant's algorithm).
void CivilFromDays(int64_t z, int64_t* year, unsigned* month, unsigned* day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *day = doy - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = y + (*month <= 2 ? 1 : 0);
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int64_t y, unsigned m) {
    static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

bool FileTimeToCalendar(FileTime time, CalendarTime* out) {
    if (time & 0x8000000000000000ULL) return false;
    const uint64_t days = time / kFileTimeTicksPerDay;
    const uint64_t msOfDay = (time % kFileTimeTicksPerDay) / kFileTimeTicksPerMs;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(static_cast<int64_t>(days) - kDays1601To1970, &year, &month, &day);
    out->year = static_cast<uint16_t>(year);
    out->month = static_cast<uint16_t>(month);
    out->day = static_cast<uint16_t>(day);
    out->dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
    out->hour = static_cast<uint16_t>(msOfDay / 3600000);
    out->minute = static_cast<uint16_t>(msOfDay / 60000 % 60);
    out->second = static_cast<uint16_t>(msOfDay / 1000 % 60);
    out->milliseconds = static_cast<uint16_t>(msOfDay % 1000);
    return true;
}

bool CalendarToFileTime(const CalendarTime& t, FileTime* out) {
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.milliseconds > 999) {
        return false;
    }
    const int64_t days = DaysFromCivil(t.year, t.month, t.day) + kDays1601To1970;
    const uint64_t ms = static_cast<uint64_t>(days) * 86400000ULL + t.hour * 3600000ULL +
                        t.minute * 60000ULL + t.second * 1000ULL + t.milliseconds;
    *out = ms * kFileTimeTicksPerMs;
    return true;
}

}  // namespace vm
