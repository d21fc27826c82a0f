#include "win32/platform/WinTimeText.h"

#include <windows.h>

#include <climits>

namespace vm {
namespace {

SYSTEMTIME ToSystemTime(const CalendarTime& t) {
    SYSTEMTIME st;
    st.wYear = t.year;
    st.wMonth = t.month;
    st.wDayOfWeek = t.dayOfWeek;
    st.wDay = t.day;
    st.wHour = t.hour;
    st.wMinute = t.minute;
    st.wSecond = t.second;
    st.wMilliseconds = t.milliseconds;
    return st;
}

int BufferChars(size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

// The API's count includes the NUL; ours does not.
size_t TextLength(int written, char* out, size_t size) {
    if (written <= 0) {
        if (size > 0) out[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(written - 1);
}

}  // namespace

bool WinTimeText::UtcToLocal(FileTime utc, FileTime* local) {
    FILETIME in, out;
    in.dwLowDateTime = static_cast<DWORD>(utc);
    in.dwHighDateTime = static_cast<DWORD>(utc >> 32);
    if (!FileTimeToLocalFileTime(&in, &out)) return false;
    *local = (static_cast<FileTime>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
    return true;
}

size_t WinTimeText::ShortDate(const CalendarTime& time, char* out, size_t size) {
    const SYSTEMTIME st = ToSystemTime(time);
    const int n =
        GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, out, BufferChars(size));
    return TextLength(n, out, size);
}

size_t WinTimeText::TimeOfDay(const CalendarTime& time, char* out, size_t size) {
    const SYSTEMTIME st = ToSystemTime(time);
    const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, out, BufferChars(size));
    return TextLength(n, out, size);
}

}  // namespace vm
