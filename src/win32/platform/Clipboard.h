#pragma once
#include <cstdint>
#include <string>

namespace vm {

// Puts the whole file on the clipboard as CF_TEXT with one terminating NUL. The caller has
// opened the clipboard; it is emptied first and closed in every case, so a failure leaves
// it empty. Returns 0, or the error code of the step that failed (open, allocation, read).
[[nodiscard]] uint32_t CopyFileToClipboard(const std::string& fileName);

}  // namespace vm
