#pragma once
#include <cstdint>

#include "core/engine/DownloadItem.h"
#include "core/options/AppSettings.h"

namespace vm {

// A download that goes this much faster over several connections than over one is held
// back per connection (a server's or a proxy's cap), not by the path.
constexpr double kPerConnectionRatio = 1.5;

// The connections an item asks for: its own Connections when set, else DefaultConnections,
// held to 1-16 (0 or less for the item: not set; for the default: 1).
int32_t RequestedConnections(const DownloadItem& item, const AppSettings& settings);

// Whether the item is measured with one connection and then with its requested number: its
// own CompareConnections, or DefaultCompareConnections. Only worth it with more than one.
bool ComparesConnections(const DownloadItem& item, const AppSettings& settings);

// How an attempt used its connections: asked for, used at once for the body, and whether
// the server was seen to take range requests (a 206 to one).
struct ConnectionUse {
    int32_t requested = 1;
    int32_t used = 1;
    bool rangesSupported = false;
};

// One connection against several: which limit the download meets.
struct ConnectionVerdict {
    double singleBytesPerSecond = 0;
    double multiBytesPerSecond = 0;
    double ratio = 0;
    bool perConnection = false;
};

// False when the single-connection speed is not above 0 (no ratio can be made).
[[nodiscard]] bool JudgeConnections(double singleBytesPerSecond, double multiBytesPerSecond,
                                    ConnectionVerdict* verdict);

// "per_connection" or "path", as the JSON document names the limit.
const char* LimitWord(const ConnectionVerdict& verdict);

}  // namespace vm
