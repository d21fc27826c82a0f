#include "core/list/LatencyText.h"

#include <cstdio>

#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms);
    return text;
}

std::string WithText(uint32_t formatId, const std::string& value) {
    const char* format = GetFormatString(formatId);
    const int length = std::snprintf(nullptr, 0, format, value.c_str());
    if (length <= 0) return value;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value.c_str());
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

std::string LatencyText(const LatencyResult& latency) {
    if (!latency.measured) return std::string();
    const LatencySummary idle = SummarizeLatency(latency.idleMs);
    const LatencySummary loaded = SummarizeLatency(latency.loadedMs);
    std::string text = GetString(IDS_LATENCY_CAPTION);
    text += ' ';
    text += idle.n > 0 ? WithText(IDS_LATENCY_IDLE, Ms(idle.median)) : GetString(IDS_LATENCY_NONE);
    if (loaded.n > 0) {
        text += ", " + WithText(IDS_LATENCY_LOADED, Ms(loaded.median));
        if (idle.n > 0) text += " " + WithText(IDS_LATENCY_ADDED, Ms(loaded.median - idle.median));
        text +=
            ", " + WithText(IDS_LATENCY_RPM, std::to_string(RoundTripsPerMinute(latency.loadedMs)));
    }
    if (latency.failed > 0)
        text += ", " + WithText(IDS_LATENCY_FAILED, std::to_string(latency.failed));
    return text;
}

}  // namespace vm
