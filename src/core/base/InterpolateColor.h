#pragma once
#include <cstddef>
#include <cstdint>

namespace vm {

// Colours are 0x00BBGGRR values.
// The colour at position of 0..lastPosition along the stops, each channel cut towards zero;
// one stop or a last position of 0 gives the first stop.
uint32_t InterpolateColor(const uint32_t* stops, size_t count, int position, int lastPosition);

}  // namespace vm
