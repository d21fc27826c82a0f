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
    // 0 or 1: fx/fy move the control with the right/bottom edge, fw/fh stretch it. End
    // repaints the whole dialog: moved controls leave stale pixels behind, and a shrunk
    // dialog gets no paint for its new corner.
    HDWP Begin() const;
    void Move(HDWP* batch, int controlId, int fx, int fy, int fw, int fh) const;
    void End(HDWP batch);

    // Draws the size grip in the bottom right corner (from WM_PAINT); the bottom left
    // one on screen when the dialog is mirrored.
    void PaintGrip();

    // The hit-test code of a screen point (WM_NCHITTEST's lParam) over the grip: the
    // corner's sizing code, or HTNOWHERE elsewhere. AnswerGripHitTest gives it as the
    // dialog's answer and tells whether it did.
    LRESULT GripHitTest(LPARAM screenPoint) const;
    bool AnswerGripHitTest(LPARAM screenPoint) const;

    size_t Count() const { return count_; }
    // The dialog's window size at capture: the size its template's texts are laid out for.
    SIZE OpenedSize() const { return opened_; }

private:
    RECT GripRect() const;

    struct Entry {
        HWND control;
        RECT rect;
    };

    RECT grip_ = {};
    HWND dialog_ = nullptr;
    Entry entries_[kMaxControls] = {};
    RECT client_ = {};
    size_t count_ = 0;
    SIZE opened_ = {};
};

// The window size of a dialog whose client area is the given dialog units: the same share
// of the dialog's font at any DPI.
SIZE DialogUnitsWindowSize(HWND dialog, int widthDlu, int heightDlu);

// Keeps a dialog from being made smaller than the given size (from WM_GETMINMAXINFO).
void SetMinimumTrackSize(LPARAM minMaxInfo, int width, int height);
// The same, never below the opened size where the flag asks for it: a dialog whose texts
// and fixed controls do not move with its edges would cut them off below that size.
void SetMinimumTrackSize(LPARAM minMaxInfo, int width, int height, const DialogLayout& layout,
                         bool keepOpenedWidth, bool keepOpenedHeight);

}  // namespace vm
