#include "core/base/InterpolateColor.h"

namespace vm {

uint32_t InterpolateColor(const uint32_t* stops, size_t count, int position, int lastPosition) {
    if (count == 0) return 0;
    if (count == 1 || lastPosition == 0) return stops[0];
    const double t = static_cast<double>(count - 1) * position / lastPosition;
    // Positions outside the range stay on the end stops' segments.
    long k = t < 0 ? 0 : static_cast<long>(t);
    if (k > static_cast<long>(count) - 2) k = static_cast<long>(count) - 2;
    const double f = t - static_cast<double>(k);
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int low = static_cast<int>((stops[k] >> shift) & 0xFF);
        const int high = static_cast<int>((stops[k + 1] >> shift) & 0xFF);
        double value = low + (high - low) * f;
        if (value < 0) value = 0;
        if (value > 255) value = 255;
        result |= static_cast<uint32_t>(static_cast<int>(value)) << shift;
    }
    return result;
}

}  // namespace vm
