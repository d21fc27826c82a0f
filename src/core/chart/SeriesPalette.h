#pragma once
#include <cstddef>
#include <cstdint>

namespace vm {

// Curves the compare mode draws together; more selected rows than this show the first ones.
constexpr size_t kMaxComparedSeries = 8;

// The colour (0x00BBGGRR) of the curve at a position: eight hues that people with any of
// the common colour-vision deficiencies still tell apart, dark enough to read on white.
// Positions past the palette wrap.
uint32_t SeriesColor(size_t position);

// True when two colours (0x00BBGGRR) differ enough in brightness for a line of one to be
// seen on the other: high-contrast schemes and dark themes pick their own background.
bool ColorsContrast(uint32_t a, uint32_t b);

// The curve's colour on a background; a curve colour too close to it gives way to the
// fallback (the system's text colour).
uint32_t SeriesColorOn(size_t position, uint32_t background, uint32_t fallback);

}  // namespace vm
