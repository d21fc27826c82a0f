#include "core/base/DpiScale.h"

#include <cstdint>

namespace vm {
namespace {

int Valid(int dpi) { return dpi > 0 ? dpi : kBaseDpi; }

// value * numerator / denominator rounded half away from zero, in 64 bits.
int MulDivRound(int value, int numerator, int denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

}  // namespace

int ScaleToDpi(int units, int dpi) { return MulDivRound(units, Valid(dpi), kBaseDpi); }

int ScaleFromDpi(int pixels, int dpi) { return MulDivRound(pixels, kBaseDpi, Valid(dpi)); }

int ImageSizeForDpi(int dpi) {
    const int wanted = ScaleToDpi(16, dpi);
    if (wanted >= 32) return 32;
    if (wanted >= 24) return 24;
    return 16;
}

}  // namespace vm
