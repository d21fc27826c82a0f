#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/DownloadTransfer.h"
#include "core/engine/RangePlan.h"
#include "core/engine/TransferContext.h"

namespace vm {

// The library's caps of connections to one server (HTTP/1.1 and 1.0), set process-wide.
constexpr uint32_t kInternetOptionMaxConnsPerServer = 73;
constexpr uint32_t kInternetOptionMaxConnsPer10Server = 74;

// The parts of a download on several connections: once the first request (the probe) has
// shown that the server takes ranges, the rest of the file is fetched as ranges, one
// transfer each, all at once. Their events carry their own serials; the test run hands
// them here. All of it runs on the GUI thread.
class ConnectionGroup {
public:
    explicit ConnectionGroup(TransferContext& context) : context_(context) {}
    ConnectionGroup(const ConnectionGroup&) = delete;
    ConnectionGroup& operator=(const ConnectionGroup&) = delete;

    // Opens a transfer for each range of the plan of [from, fileLength) on `connections`
    // connections; the count of parts started (their failures come as events).
    int32_t Start(const std::string& url, const std::string& headers, uint64_t from,
                  uint64_t fileLength, int32_t connections, uintptr_t window, uint32_t message,
                  uint32_t flags);

    int32_t Count() const { return static_cast<int32_t>(parts_.size()); }
    // The part with this serial, or nullptr.
    DownloadTransfer* Find(uint32_t serial);
    uint64_t BytesRead() const;
    // The latest data tick of the parts and `tick`, counted from `since` (ticks wrap).
    uint32_t LatestDataTick(uint32_t tick, uint32_t since) const;
    // The latest microsecond data stamp of the parts that began, or micro when later.
    uint64_t LatestDataMicro(uint64_t micro) const;
    bool AllFinished() const;
    bool AllWhole() const;
    void StopAll();
    // Ends a stalled part as the receive time-out would: that part, or nullptr when none
    // was reading.
    DownloadTransfer* FailTimedOut();

private:
    TransferContext& context_;
    std::vector<std::unique_ptr<DownloadTransfer>> parts_;
};

}  // namespace vm
