#pragma once
#include <windows.h>

namespace vm {

// The platform's version record (the 148-byte OSVERSIONINFOA), asked on the first call
// and kept for the rest of the run.
const OSVERSIONINFOA& GetOsVersion();
// True on the NT line of Windows (platform id 2).
bool IsNtPlatform();

}  // namespace vm
