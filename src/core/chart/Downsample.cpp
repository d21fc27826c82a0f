#include "core/chart/Downsample.h"

namespace vm {
namespace {

constexpr size_t kMinSeriesPoints = 8;

}  // namespace

std::vector<ChartPoint> DownsampleMinMax(const std::vector<ChartPoint>& points,
                                         size_t bucketCount) {
    if (bucketCount == 0 || points.size() <= 2 * bucketCount) return points;
    // The two ends alone take one bucket's room.
    if (bucketCount < 2) bucketCount = 2;
    if (points.size() <= 2 * bucketCount) return points;
    // Two kept points per bucket, less the room the kept ends may take from their buckets.
    const size_t innerCount = points.size() - 2;
    const size_t buckets = bucketCount - 1;
    const double firstX = points.front().x;
    const double span = points.back().x - firstX;
    std::vector<ChartPoint> result;
    result.reserve(2 * bucketCount);
    result.push_back(points.front());
    size_t at = 1;
    for (size_t bucket = 0; bucket < buckets && at <= innerCount; ++bucket) {
        // The last bucket takes every inner point left, whatever its x.
        const bool lastBucket = bucket + 1 == buckets;
        const double end = firstX + span * static_cast<double>(bucket + 1) / buckets;
        size_t low = at, high = at;
        size_t next = at;
        // By x when x spreads; by count when all x are the same.
        const size_t countEnd = 1 + innerCount * (bucket + 1) / buckets;
        while (next <= innerCount &&
               (lastBucket || (span > 0 ? points[next].x < end : next < countEnd))) {
            if (points[next].y < points[low].y) low = next;
            if (points[next].y > points[high].y) high = next;
            ++next;
        }
        if (next == at) continue;
        if (low == high) {
            result.push_back(points[low]);
        } else {
            result.push_back(points[low < high ? low : high]);
            result.push_back(points[low < high ? high : low]);
        }
        at = next;
    }
    result.push_back(points.back());
    return result;
}

void CompactSeries(std::vector<ChartPoint>& points, size_t maxPoints) {
    if (maxPoints < kMinSeriesPoints) maxPoints = kMinSeriesPoints;
    if (points.size() < maxPoints) return;
    points = DownsampleMinMax(points, maxPoints / 4);
}

}  // namespace vm
