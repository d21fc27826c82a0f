#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace vm {

// "Error %d: %s" with the code's system text, captioned "Error"; code 0 takes the
// thread's last error.
void ShowErrorBox(uint32_t code, HWND owner);

// The shell's "open" action, shown as asked; true when the shell accepted it.
bool ShellOpen(HWND owner, const std::string& target, int showCommand = SW_SHOW);

// The wait cursor, and back to the cursor it replaced (one remembered cursor, no nesting).
void BeginWaitCursor();
void EndWaitCursor();

// The executable's full path and its folder (no trailing backslash).
std::string ProgramPath();
std::string ProgramFolder();
// The process's current directory (no trailing backslash except at a drive's root).
std::string CurrentDirectory();

// The folder for scratch reports: the program's, or the temporary folder when the
// program's is read-only or cannot be queried. Decided once per process.
std::string ReportFolder();

// Whether two paths name the same file once made full (case ignored); false for an empty one.
bool IsSameFilePath(const std::string& a, const std::string& b);

}  // namespace vm
