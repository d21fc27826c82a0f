#include "core/base/CachedTimeText.h"

#include <cstring>

namespace vm {

size_t CachedTimeText::ShortDate(const CalendarTime& time, char* out, size_t size) {
    const bool same = valid_ && time.year == year_ && time.month == month_ && time.day == day_;
    if (!same) {
        valid_ = false;
        length_ = source_->ShortDate(time, date_, sizeof date_);
        if (length_ == 0) {
            if (size > 0) out[0] = '\0';
            return 0;
        }
        // A text that may have been cut here is not kept: the caller's buffer may hold it.
        if (length_ >= kMaxDateText) return source_->ShortDate(time, out, size);
        valid_ = true;
        year_ = time.year;
        month_ = time.month;
        day_ = time.day;
    }
    if (size == 0) return 0;
    if (length_ >= size) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, date_, length_ + 1);
    return length_;
}

}  // namespace vm
