#include "core/chart/SeriesPalette.h"

#include <cstdlib>

namespace vm {
namespace {

// Okabe and Ito's palette, darkest first so a single curve is the easiest to see; its
// yellow is darkened to a gold that still reads on a white background.
constexpr uint32_t kPalette[kMaxComparedSeries] = {
    0x00B27200,  // blue        #0072B2
    0x00005ED5,  // vermillion  #D55E00
    0x00739E00,  // green       #009E73
    0x00A779CC,  // purple      #CC79A7
    0x00E9B456,  // sky blue    #56B4E9
    0x00009FE6,  // orange      #E69F00
    0x0000A0C0,  // gold        #C0A000
    0x00000000,  // black
};

// Perceived brightness 0..255 (ITU-R BT.601 weights).
int Luma(uint32_t color) {
    const int r = static_cast<int>(color & 0xFF);
    const int g = static_cast<int>((color >> 8) & 0xFF);
    const int b = static_cast<int>((color >> 16) & 0xFF);
    return (299 * r + 587 * g + 114 * b) / 1000;
}

// Lines one pixel or two wide need about this much difference in brightness to stand out.
constexpr int kMinLumaDifference = 60;

}  // namespace

uint32_t SeriesColor(size_t position) { return kPalette[position % kMaxComparedSeries]; }

bool ColorsContrast(uint32_t a, uint32_t b) {
    return std::abs(Luma(a) - Luma(b)) >= kMinLumaDifference;
}

uint32_t SeriesColorOn(size_t position, uint32_t background, uint32_t fallback) {
    const uint32_t color = SeriesColor(position);
    return ColorsContrast(color, background) ? color : fallback;
}

}  // namespace vm
