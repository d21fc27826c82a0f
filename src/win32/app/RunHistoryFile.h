#pragma once
#include <cstdint>
#include <string>

#include "core/report/HistoryReader.h"

namespace vm {

// Adds one run (its compact JSON document) to the history file, creating the file when it
// is missing; other processes appending at the same time wait their turn. False with the
// error code.
[[nodiscard]] bool AppendToHistoryFile(const std::string& path, const std::string& compactDocument,
                                       uint32_t* error);

// Feeds the whole history file to the reader and finishes it. A missing file is an empty
// history; a device, a pipe or a file over kMaxHistoryFileBytes is refused unread; any
// other failure is false with the error code.
[[nodiscard]] bool ReadHistoryFile(const std::string& path, HistoryReader& reader, uint32_t* error);

}  // namespace vm
