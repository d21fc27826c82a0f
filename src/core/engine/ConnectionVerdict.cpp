#include "core/engine/ConnectionVerdict.h"

#include "core/engine/RangePlan.h"

namespace vm {
namespace {

int32_t Bounded(int32_t connections) {
    if (connections < kMinConnections) return kMinConnections;
    return connections > kMaxConnections ? kMaxConnections : connections;
}

}  // namespace

int32_t RequestedConnections(const DownloadItem& item, const AppSettings& settings) {
    if (item.connections > 0) return Bounded(item.connections);
    return Bounded(settings.DefaultConnections);
}

bool ComparesConnections(const DownloadItem& item, const AppSettings& settings) {
    return (item.compareConnections != 0 || settings.DefaultCompareConnections != 0) &&
           RequestedConnections(item, settings) > 1;
}

bool JudgeConnections(double singleBytesPerSecond, double multiBytesPerSecond,
                      ConnectionVerdict* verdict) {
    if (!(singleBytesPerSecond > 0) || !(multiBytesPerSecond >= 0)) return false;
    verdict->singleBytesPerSecond = singleBytesPerSecond;
    verdict->multiBytesPerSecond = multiBytesPerSecond;
    verdict->ratio = multiBytesPerSecond / singleBytesPerSecond;
    verdict->perConnection = verdict->ratio >= kPerConnectionRatio;
    return true;
}

const char* LimitWord(const ConnectionVerdict& verdict) {
    return verdict.perConnection ? "per_connection" : "path";
}

}  // namespace vm
