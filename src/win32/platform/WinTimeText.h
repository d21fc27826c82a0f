#pragma once
#include "core/platform/TimeText.h"

namespace vm {

// Time stamps in the user's default locale: short date and time format.
class WinTimeText : public TimeTextSource {
public:
    bool UtcToLocal(FileTime utc, FileTime* local) override;
    size_t ShortDate(const CalendarTime& time, char* out, size_t size) override;
    size_t TimeOfDay(const CalendarTime& time, char* out, size_t size) override;
};

}  // namespace vm
