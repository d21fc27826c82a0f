#pragma once
#include <windows.h>

namespace vm {

using GuardedHandler = LRESULT (*)(void* context);

// Runs one window or dialog handler. This is the single place where a processor fault in
// a handler is caught and reported for the window; the result is then 0 (the process
// ends instead when the user chooses to terminate). *faulted tells the caller whether the
// handler ended in a fault.
LRESULT RunGuarded(HWND window, GuardedHandler handler, void* context, bool* faulted);

}  // namespace vm
