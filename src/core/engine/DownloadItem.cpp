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
void DownloadItem::SetErrorText(const std::string& text) {
    errorText = SharedText(Cut(text, kMaxCellText));
}
void DownloadItem::SetErrorText(const SharedText& text) {
    if (text.size() <= kMaxCellText) {
        errorText = text;
    } else {
        SetErrorText(text.str());
    }
}

void DownloadItem::ResetResults() {
    bytes = 0;
    startTime = 0;
    startTick = 0;
    attemptTick = 0;
    retries = 0;
    duration = 0;
    startMicro = 0;
    durationUs = 0;
    errorCode = 0;
    serverStatus = 0;
    speedKBps = 0;
    speedKbitps = 0;
    for (double& sample : history) sample = 0;
    errorText.clear();
    belowMinSpeed = false;
    speedDownPercent = 0;
    status = DownloadStatus::Waiting;
}

void DownloadItem::RecomputeSpeed(uint32_t nowTick, uint64_t nowMicro) {
    if (HasStarted()) {
        if (startMicro != 0 && nowMicro != 0) {
            durationUs = nowMicro > startMicro ? nowMicro - startMicro : 0;
            duration = static_cast<uint32_t>(durationUs / 1000);
        } else {
            duration = nowTick - startTick;  // unsigned: right across a wrap
            durationUs = uint64_t{duration} * 1000;
        }
    }
    // Data that all arrived between two readings of the clock still took time: a finished
    // download counts one microsecond, never 0 KB/s.
    if (durationUs == 0 && bytes > 0 && status == DownloadStatus::Finished) durationUs = 1;
    const double seconds = static_cast<double>(durationUs) / 1e6;
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
