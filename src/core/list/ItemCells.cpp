#include "core/list/ItemCells.h"

#include <charconv>
#include <cstdio>

#include "core/base/FileTimeCalendar.h"
#include "core/base/FixedText.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

template <typename T>
int CompareValues(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

const char* StatusText(const DownloadItem& item, CellBuffer& buffer) {
    if (item.disabled) return GetString(IDS_STATUS_DISABLED);
    if (item.status == DownloadStatus::Finished && item.speedDownPercent > 0) {
        std::snprintf(buffer.data(), buffer.size(), GetFormatString(IDS_STATUS_SPEED_DOWN),
                      static_cast<int>(item.speedDownPercent));
        return buffer.data();
    }
    if (item.status == DownloadStatus::Finished && item.belowMinSpeed) {
        return GetString(IDS_STATUS_FINISHED_SLOW);
    }
    if (item.status != DownloadStatus::Failed) {
        return GetString(IDS_STATUS_DISABLED + static_cast<uint32_t>(item.status));
    }
    char detail[kMaxCellText + 1];
    if (item.errorCode != 0) {
        std::snprintf(detail, sizeof detail, GetFormatString(IDS_ERROR_CODE),
                      static_cast<int>(item.errorCode));
        std::snprintf(buffer.data(), buffer.size(), "%s  (%s  %s)", GetString(IDS_STATUS_FAILED),
                      detail, item.errorText.c_str());
        return buffer.data();
    }
    if (item.serverStatus != 0) {
        std::snprintf(detail, sizeof detail, GetFormatString(IDS_SERVER_STATUS),
                      static_cast<int>(item.serverStatus));
        std::snprintf(buffer.data(), buffer.size(), "%s  (%s)", GetString(IDS_STATUS_FAILED),
                      detail);
        return buffer.data();
    }
    return GetString(IDS_STATUS_FAILED);
}

}  // namespace

const char* ItemCellText(const DownloadItem& item, int column, CellBuffer& buffer,
                         const CellContext& context) {
    char* out = buffer.data();
    const size_t size = kMaxCellText + 1;
    switch (column) {
        case kColumnUrl:
            return item.url.c_str();
        case kColumnName:
            return item.name.c_str();
        case kColumnStatus:
            return StatusText(item, buffer);
        case kColumnSpeedBytes:
            if (item.IsPending()) return "";
            return FixedWithUnit(out, size, item.speedKBps, 1, GetString(IDS_UNIT_KB_PER_SEC));
        case kColumnSpeedBits:
            if (item.IsPending()) return "";
            return FixedWithUnit(out, size, item.speedKbitps / 1000, 2, GetString(IDS_UNIT_MBPS));
        case kColumnDownloaded:
            if (item.IsPending()) return "";
            return FixedWithUnit(out, size, static_cast<double>(item.bytes) / 1024, 1,
                                 GetString(IDS_UNIT_KB));
        case kColumnStartTime:
            if (!item.HasStarted() || context.timeText == nullptr) return "";
            return FormatItemTime(item.startTime, context.showTimeInGmt, *context.timeText, out,
                                  size);
        case kColumnDuration: {
            if (item.IsPending()) return "";
            // Whole seconds, a half second rounding up; 64-bit so the rounding cannot wrap.
            const uint64_t s = (static_cast<uint64_t>(item.duration) + 500) / 1000;
            char* end = out + size - 1;
            char* p = AppendTwoDigits(out, end, static_cast<unsigned>(s / 3600));
            *p++ = ':';
            p = AppendTwoDigits(p, end, static_cast<unsigned>(s % 3600 / 60));
            *p++ = ':';
            p = AppendTwoDigits(p, end, static_cast<unsigned>(s % 60));
            *p = '\0';
            return out;
        }
        case kColumnOrder:
            *std::to_chars(out, out + size - 1, static_cast<long long>(item.order) + 1).ptr = '\0';
            return out;
        default:
            return "";
    }
}

int CompareItemColumn(const DownloadItem& a, const DownloadItem& b, int column) {
    switch (column) {
        case kColumnSpeedBytes:
            return CompareValues(a.speedKBps, b.speedKBps);
        case kColumnSpeedBits:
            return CompareValues(a.speedKbitps, b.speedKbitps);
        case kColumnDownloaded:
            return CompareValues(a.bytes, b.bytes);
        case kColumnStartTime:
            return CompareValues(a.startTime, b.startTime);
        case kColumnDuration:
            return CompareValues(a.duration, b.duration);
        case kColumnOrder:
            return CompareValues(a.order, b.order);
        default:
            return kNoCompareRule;
    }
}

const char* FormatItemTime(FileTime time, bool showTimeInGmt, TimeTextSource& source, char* out,
                           size_t size) {
    if (size == 0) return out;
    out[0] = '\0';
    if (time == 0) return out;
    FileTime shown = time;
    if (!showTimeInGmt && !source.UtcToLocal(time, &shown)) return out;
    CalendarTime calendar;
    if (!FileTimeToCalendar(shown, &calendar) || calendar.year <= 1985) return out;
    const size_t dateLength = source.ShortDate(calendar, out, size);
    if (dateLength == 0 || dateLength + 2 >= size) {
        out[0] = '\0';
        return out;
    }
    out[dateLength] = ' ';
    if (source.TimeOfDay(calendar, out + dateLength + 1, size - dateLength - 1) == 0) {
        out[0] = '\0';
    }
    return out;
}

std::string FormatItemTime(FileTime time, bool showTimeInGmt, TimeTextSource& source) {
    char text[kMaxCellText + 1];
    return FormatItemTime(time, showTimeInGmt, source, text, sizeof text);
}

}  // namespace vm
