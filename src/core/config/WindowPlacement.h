#pragma once
#include <cstddef>
#include <cstdint>

namespace vm {

// The main window's saved placement: the platform's 44-byte placement record, stored as
// eleven little-endian 32-bit fields in this order.
struct WindowPlacement {
    uint32_t length = 0;
    uint32_t flags = 0;
    uint32_t showCmd = 0;  // 3 = maximised
    int32_t minX = 0;
    int32_t minY = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

constexpr size_t kWindowPlacementBytes = 44;
constexpr uint32_t kShowMaximized = 3;
constexpr uint32_t kShowDefault = 10;  // the show command used while applying a placement

void EncodePlacement(const WindowPlacement& placement, uint8_t (&bytes)[kWindowPlacementBytes]);
WindowPlacement DecodePlacement(const uint8_t (&bytes)[kWindowPlacementBytes]);

// A stored placement is applied only when its normal rectangle is more than 20 pixels
// wide and high, reaches into the screen (right > 5, top >= -10, left + 20 and top + 20
// inside the screen size) and it has a show command.
bool PlacementIsPlausible(const WindowPlacement& placement, int32_t screenWidth,
                          int32_t screenHeight);

// What the configuration needs from the main window; the GUI implements it.
class WindowPlacementExchange {
public:
    virtual ~WindowPlacementExchange() = default;
    // Saving: the window's current placement (length 44), or its kept copy without a window.
    virtual WindowPlacement CurrentPlacement() = 0;
    // Loading: the record as stored (zeros where the value had no bytes). The window keeps
    // it (start-up maximises for show command 3) and, when apply is true and the window
    // exists, applies it with show command kShowDefault for that call only.
    virtual void PlacementLoaded(const WindowPlacement& placement, bool apply) = 0;
    virtual void ScreenSize(int32_t* width, int32_t* height) = 0;
};

}  // namespace vm
