#include "core/config/WindowPlacement.h"

namespace vm {
namespace {

void Put(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get(const uint8_t* in) {
    return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

}  // namespace

void EncodePlacement(const WindowPlacement& p, uint8_t (&bytes)[kWindowPlacementBytes]) {
    const uint32_t fields[11] = {p.length,
                                 p.flags,
                                 p.showCmd,
                                 static_cast<uint32_t>(p.minX),
                                 static_cast<uint32_t>(p.minY),
                                 static_cast<uint32_t>(p.maxX),
                                 static_cast<uint32_t>(p.maxY),
                                 static_cast<uint32_t>(p.left),
                                 static_cast<uint32_t>(p.top),
                                 static_cast<uint32_t>(p.right),
                                 static_cast<uint32_t>(p.bottom)};
    for (int i = 0; i < 11; ++i) Put(bytes + 4 * i, fields[i]);
}

WindowPlacement DecodePlacement(const uint8_t (&bytes)[kWindowPlacementBytes]) {
    WindowPlacement p;
    p.length = Get(bytes);
    p.flags = Get(bytes + 4);
    p.showCmd = Get(bytes + 8);
    p.minX = static_cast<int32_t>(Get(bytes + 12));
    p.minY = static_cast<int32_t>(Get(bytes + 16));
    p.maxX = static_cast<int32_t>(Get(bytes + 20));
    p.maxY = static_cast<int32_t>(Get(bytes + 24));
    p.left = static_cast<int32_t>(Get(bytes + 28));
    p.top = static_cast<int32_t>(Get(bytes + 32));
    p.right = static_cast<int32_t>(Get(bytes + 36));
    p.bottom = static_cast<int32_t>(Get(bytes + 40));
    return p;
}

bool PlacementIsPlausible(const WindowPlacement& p, int32_t screenWidth, int32_t screenHeight) {
    // 64-bit sums: stored values are arbitrary and must not overflow.
    const int64_t left = p.left, top = p.top, right = p.right, bottom = p.bottom;
    return right - left > 20 && bottom - top > 20 && right > 5 && top >= -10 &&
           left + 20 < screenWidth && top + 20 < screenHeight && p.showCmd != 0;
}

}  // namespace vm
