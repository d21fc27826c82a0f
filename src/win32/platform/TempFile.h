#pragma once
#include <cstdint>
#include <string>

namespace vm {

// The Windows folder (GetWindowsDirectoryA), asked once per process; "" when it fails.
std::string WindowsFolder();

// Creates a new, empty, uniquely named file whose name starts with prefix ("cp" for
// clipboard copies) in the temporary folder, or in the Windows folder when there is no
// temporary folder. The caller deletes it. Returns 0 with its full path, or the error.
[[nodiscard]] uint32_t CreateTempFile(const char* prefix, std::string* path);

}  // namespace vm
