#pragma once
#include <cstddef>
#include <vector>

namespace vm {

// One point of a curve: x grows along the series (time), y is the value (speed).
struct ChartPoint {
    double x = 0;
    double y = 0;
};

// At most 2 × bucketCount points for a curve of any length: x from the first to the last
// point is cut into bucketCount equal spans and each span keeps its lowest and its highest
// point, in their own order, so peaks and drops survive. The first and last points are
// always kept; a bucketCount of 1 counts as 2. A series that already fits, or a bucketCount
// of 0, comes back unchanged.
// Points are expected in order of x; a point before its predecessor joins the latter's span.
std::vector<ChartPoint> DownsampleMinMax(const std::vector<ChartPoint>& points, size_t bucketCount);

// Keeps a growing series within maxPoints: when it is full it is downsampled in place to
// half of that, so appending stays cheap on average and the peaks stay. maxPoints below 8
// counts as 8.
void CompactSeries(std::vector<ChartPoint>& points, size_t maxPoints);

}  // namespace vm
