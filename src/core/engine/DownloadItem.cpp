#include "core/engine/DownloadItem.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/base/FileTimeCalendar.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

std::string Cut(const std::string& text, size_t limit) {
    return text.size() <= limit ? text : text.substr(0, limit);
}

// The cells below are formatted for every row of every report, so they avoid printf but
// give exactly its digits: "%.1f" and "%.2f" round the exact value of the double to the
// nearest, ties to even.

// Writes value with 1 or 2 decimals; returns the end. A double below 2^25 is m * 2^-shift
// with a 53-bit m and shift of 28 or more, so value * 10^decimals rounds exactly in
// 64-bit integers (and fits 32 bits), whatever precision the floating-point unit was
// left in. Larger values, negative ones and NaN go through to_chars (slower).
char* AppendFixed(char* p, char* end, double value, int decimals) {
    constexpr double kIntegerPathLimit = 33554432.0;  // 2^25
    const uint32_t divisor = decimals == 1 ? 10 : 100;
    if (!std::signbit(value) && value < kIntegerPathLimit && end - p >= 16) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        const int biased = static_cast<int>(bits >> 52) & 0x7FF;
        uint64_t m = bits & ((uint64_t{1} << 52) - 1);
        int shift = 1074;  // subnormal
        if (biased != 0) {
            m |= uint64_t{1} << 52;
            shift = 1075 - biased;
        }
        const uint64_t scaled = m * divisor;  // below 2^60
        uint32_t units = 0;
        if (shift < 64) {
            units = static_cast<uint32_t>(scaled >> shift);
            const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
            const uint64_t half = uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (units & 1) != 0)) ++units;
        }  // else value * divisor is below 1/16: zero
        p = std::to_chars(p, end, units / divisor).ptr;
        *p++ = '.';
        units %= divisor;
        if (decimals == 2) {
            *p++ = static_cast<char>('0' + units / 10);
            units %= 10;
        }
        *p++ = static_cast<char>('0' + units);
        return p;
    }
    const std::to_chars_result r = std::to_chars(p, end, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? r.ptr : p;
}

// Writes "<value with precision decimals> <unit>" into out; returns out.
char* FixedWithUnit(char* out, size_t size, double value, int precision, const char* unit) {
    char* const end = out + size - 1;
    char* p = AppendFixed(out, end, value, precision);
    if (p == out) {
        std::snprintf(out, size, "%.*f %s", precision, value, unit);
        return out;
    }
    const size_t room = static_cast<size_t>(end - p);
    const size_t unitLength = std::strlen(unit);
    if (room > 0) {
        *p++ = ' ';
        const size_t n = unitLength < room - 1 ? unitLength : room - 1;
        std::memcpy(p, unit, n);
        p += n;
    }
    *p = '\0';
    return out;
}

// Appends value in decimal with at least two digits ("%.2u").
char* AppendTwoDigits(char* p, char* end, unsigned value) {
    if (value < 10 && p < end) *p++ = '0';
    return std::to_chars(p, end, value).ptr;
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
            return FixedWithUnit(out, size, speedKBps, 1, GetString(IDS_UNIT_KB_PER_SEC));
        case kColumnSpeedBits:
            if (IsPending()) return "";
            return FixedWithUnit(out, size, speedKbitps / 1000, 2, GetString(IDS_UNIT_MBPS));
        case kColumnDownloaded:
            if (IsPending()) return "";
            return FixedWithUnit(out, size, static_cast<double>(bytes) / 1024, 1,
                                 GetString(IDS_UNIT_KB));
        case kColumnStartTime:
            if (!HasStarted() || context.timeText == nullptr) return "";
            return FormatItemTime(startTime, context.showTimeInGmt, *context.timeText, out, size);
        case kColumnDuration: {
            if (IsPending()) return "";
            // Whole seconds, a half second rounding up; 64-bit so the rounding cannot wrap.
            const uint64_t s = (static_cast<uint64_t>(duration) + 500) / 1000;
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
            *std::to_chars(out, out + size - 1, static_cast<long long>(order) + 1).ptr = '\0';
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
