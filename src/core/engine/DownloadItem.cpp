#include "core/engine/DownloadItem.h"

namespace vm {
namespace {

std::string Cut(const std::string& text, size_t limit) {
    return text.size() <= limit ? text : text.substr(0, limit);
}

}  // namespace

DownloadItem::DownloadItem(const std::string& urlText, const std::string& nameText,
                           int32_t orderNumber)
    : order(orderNumber), url(urlText), name(nameText) {}

void DownloadItem::SetUrl(const std::string& text) { url = text; }
void DownloadItem::SetName(const std::string& text) { name = text; }
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
    belowMinSpeed = false;
    status = DownloadStatus::Waiting;
}

void DownloadItem::RecomputeSpeed(uint32_t nowTick) {
    if (HasStarted()) duration = nowTick - startTick;  // unsigned: right across a wrap
    // Data that all arrived within one tick of the clock (a small file from the cache)
    // still took time: a finished download counts one millisecond, never 0 KB/s.
    if (duration == 0 && bytes > 0 && status == DownloadStatus::Finished) duration = 1;
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

bool NoItemToTest(const std::vector<DownloadItem>& items) {
    for (const DownloadItem& item : items) {
        if (item.deleted == 0 && item.disabled == 0) return false;
    }
    return true;
}

}  // namespace vm
