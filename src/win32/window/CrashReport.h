#pragma once
#include <windows.h>

#include <string>

namespace vm {

// The buttons that close the crash report; Escape and the close box count as Terminate.
constexpr INT_PTR kCrashContinue = IDOK;
constexpr INT_PTR kCrashTerminate = IDCANCEL;

// Shows the crash report for a fault in a handler of the window (modal, owned by it) and
// keeps the button that closed it. While a report is open a further fault shows none and
// leaves the last result as it was. Returns 1: the guard's handler block is to run.
LONG ReportCrash(EXCEPTION_POINTERS* exception, HWND window);

// The button that closed the most recent crash report (0 before the first).
INT_PTR LastCrashDialogResult();

// The module of the current process whose image holds the address: its file name (no
// folder), or "{Unknown}".
std::string ModuleNameAt(DWORD address);

}  // namespace vm
