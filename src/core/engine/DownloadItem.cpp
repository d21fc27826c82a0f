#include "engine/DownloadItem.h"

#include <cstdio>

#include "engine/FileTimeCalendar.h"
#include "lang/StringTable.h"

namespace vm {
namespace {

std::string Cut(const std::string& text, size_t limit) {
    return text.size() <= limit ? text : text.substr(0, limit);
}

template <typename T>
int CompareValues(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

const char* StatusText(const DownloadItem& item, CellBuffer& buffer) {
    if (item.disabled) return GetString(IDS_STATUS_DISABLED);
    if (item.status != DownloadStatus::Failed) {
        return GetString(IDS_STATUS_DISABLED + static_cast<uint32_t>(item.status));
    }
    char detail[kMaxCellText + 1];
    if (item.errorCode != 0) {
        std::snprintf(detail, sizeof detail, GetFormatString(IDS_ERROR_CODE),
                      static_cast<int>(item.errorCode));
        std::snprintf(buffer.data(), buffer.size(), "%s  (%s  %s)",
                      GetString(IDS_STATUS_FAILED), detail, item.errorText.c_str());
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

DownloadItem::DownloadItem(const std::string& urlText, const std::string& nameText,
                           int32_t orderNumber)
    : order(orderNumber), url(Cut(urlText, kMaxUrlLength)), name(Cut(nameText, kMaxNameLength)) {}

void DownloadItem::SetUrl(const std::string& text) { url = Cut(text, kMaxUrlLength); }
void DownloadItem::SetName(const std::string& text) { name = Cut(text, kMaxNameLength); }
void DownloadItem::SetErrorText(const std::string& text) { errorText = Cut(text, kMaxCellText); }

void DownloadItem::ResetResults() {
    bytes = 0;
    startTime = 0;
    startTick = 0;
    attemptTick = 0;
    retries = 0;
    duration = 0;
    errorCode = 0;
    serverStatus = 0;
    speedKBps = 0;
    speedKbitps = 0;
    for (double& sample : history) sample = 0;
    errorText.clear();
    status = DownloadStatus::Waiting;
}

void DownloadItem::RecomputeSpeed(uint32_t nowTick) {
    if (HasStarted()) duration = nowTick - startTick;  // unsigned: right across a wrap
    const double seconds = duration / 1000.0;
    if (seconds == 0) {
        speedKBps = 0;
        speedKbitps = 0;
        return;
    }
    const double b = static_cast<double>(bytes);
    speedKBps = b / 1024 / seconds;
    speedKbitps = b / 1000 * 8 / seconds;
}

const char* DownloadItem::CellText(int column, CellBuffer& buffer,
                                   const CellContext& context) const {
    char* out = buffer.data();
    const size_t size = kMaxCellText + 1;
    switch (column) {
        case kColumnUrl:
            return url.c_str();
        case kColumnName:
            return name.c_str();
        case kColumnStatus:
            return StatusText(*this, buffer);
        case kColumnSpeedBytes:
            if (IsPending()) return "";
            std::snprintf(out, size, "%0.1f %s", speedKBps, GetString(IDS_UNIT_KB_PER_SEC));
            return out;
        case kColumnSpeedBits:
            if (IsPending()) return "";
            std::snprintf(out, size, "%0.2f %s", speedKbitps / 1000, GetString(IDS_UNIT_MBPS));
            return out;
        case kColumnDownloaded:
            if (IsPending()) return "";
            std::snprintf(out, size, "%0.1f %s", static_cast<double>(bytes) / 1024,
                          GetString(IDS_UNIT_KB));
            return out;
        case kColumnStartTime:
            if (!HasStarted() || context.timeText == nullptr) return "";
            return FormatItemTime(startTime, context.showTimeInGmt, *context.timeText, out, size);
        case kColumnDuration: {
            if (IsPending()) return "";
            // Whole seconds, a half second rounding up; 64-bit so the rounding cannot wrap.
            const uint64_t s = (static_cast<uint64_t>(duration) + 500) / 1000;
            std::snprintf(out, size, "%.2u:%.2u:%.2u", static_cast<unsigned>(s / 3600),
                          static_cast<unsigned>(s % 3600 / 60), static_cast<unsigned>(s % 60));
            return out;
        }
        case kColumnOrder:
            std::snprintf(out, size, "%lld", static_cast<long long>(order) + 1);
            return out;
        default:
            return "";
    }
}

int DownloadItem::Compare(int column, const DownloadItem& other) const {
    switch (column) {
        case kColumnSpeedBytes:
            return CompareValues(speedKBps, other.speedKBps);
        case kColumnSpeedBits:
            return CompareValues(speedKbitps, other.speedKbitps);
        case kColumnDownloaded:
            return CompareValues(bytes, other.bytes);
        case kColumnStartTime:
            return CompareValues(startTime, other.startTime);
        case kColumnDuration:
            return CompareValues(duration, other.duration);
        case kColumnOrder:
            return CompareValues(order, other.order);
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
