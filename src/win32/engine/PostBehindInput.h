#pragma once
#include <windows.h>

namespace vm {

// Posts a message that the window gets only after the input, paint and timer messages
// already waiting on the calling thread. A posted message is always taken before those,
// so a loop that resumes itself by posting starves the timer, the repainting and the
// user's commands while its work completes at once. GUI thread only (the window's).
bool PostBehindInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vm
