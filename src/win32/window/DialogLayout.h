#pragma once
#include <windows.h>

#include <cstddef>

namespace vm {

// Keeps a resizable dialog's controls anchored: each control is captured once at
// initialisation and then moved or stretched by how far the client area's right and
// bottom edges have moved since.
class DialogLayout {
public:
    static constexpr size_t kMaxControls = 128;

    // Records the dialog's client rectangle and its first kMaxControls children.
    void Capture(HWND dialog);

    // One deferred batch: Begin, Move for each anchored control, End. Each factor is
    // 0 or 1: fx/fy move the control with the right/bottom edge, fw/fh stretch it.
    HDWP Begin() const;
    void Move(HDWP* batch, int controlId, int fx, int fy, int fw, int fh) const;
    void End(HDWP batch);

    // Draws the size grip in the bottom right corner (from WM_PAINT).
    void PaintGrip();

    size_t Count() const { return count_; }

private:
    struct Entry {
        HWND control;
        RECT rect;
    };

    RECT grip_ = {};
    HWND dialog_ = nullptr;
    Entry entries_[kMaxControls] = {};
    RECT client_ = {};
    size_t count_ = 0;
};

// Keeps a dialog from being made smaller than the given size (from WM_GETMINMAXINFO).
void SetMinimumTrackSize(LPARAM minMaxInfo, int width, int height);

}  // namespace vm
