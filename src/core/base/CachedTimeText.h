#pragma once
#include <cstddef>

#include "core/platform/TimeText.h"

namespace vm {

// A time text source that remembers the last date it formatted. A report formats one time
// stamp per row and most rows of a run share their date, so this saves one locale call
// per row. Meant to live for one report.
class CachedTimeText : public TimeTextSource {
public:
    explicit CachedTimeText(TimeTextSource* source) : source_(source) {}

    bool UtcToLocal(FileTime utc, FileTime* local) override {
        return source_->UtcToLocal(utc, local);
    }
    size_t ShortDate(const CalendarTime& time, char* out, size_t size) override;
    size_t TimeOfDay(const CalendarTime& time, char* out, size_t size) override {
        return source_->TimeOfDay(time, out, size);
    }

private:
    static constexpr size_t kMaxDateText = 127;
    TimeTextSource* source_;
    bool valid_ = false;
    uint16_t year_ = 0;
    uint16_t month_ = 0;
    uint16_t day_ = 0;
    size_t length_ = 0;
    char date_[kMaxDateText + 1] = {};
};

}  // namespace vm
