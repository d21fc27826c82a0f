#include "win32/platform/WinClock.h"

#include <windows.h>

namespace vm {

uint32_t WinClock::TickCount() { return GetTickCount(); }

FileTime WinClock::SystemTimeUtc() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace vm
