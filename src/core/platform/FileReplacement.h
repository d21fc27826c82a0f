#pragma once
#include <functional>
#include <string>

#include "core/platform/FileSystem.h"

namespace vm {

// Appended to the target's name for the temporary file that a replacing write fills.
constexpr const char kReplacementSuffix[] = ".new";

// The one way the program writes a file for the user. A path that CheckOutputPath refuses
// (a device, a stream, a name past the bound) is not opened at all. Otherwise the file is
// written whole or not at all: write() fills a temporary file beside the target
// (the first of path + ".new", ".new1" ... that does not exist, or a short name in the
// same folder when those would pass the path bound), which takes the target's place only
// when every byte was written and flushed. A read-only target is not replaced; a target
// reached through a symbolic link is written where the link points. On any failure the
// target stays exactly as it was, the temporary file is removed and the platform's error
// code is returned in *error.
[[nodiscard]] bool WriteFileReplacing(FileSystem& fileSystem, const std::string& path,
                                      const std::function<bool(OutputFile&)>& write,
                                      uint32_t* error);

}  // namespace vm
