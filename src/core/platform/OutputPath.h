#pragma once
#include <cstddef>
#include <string>

namespace vm {

// Longest path the program builds (MAX_PATH without the NUL).
constexpr size_t kMaxPath = 259;

// Why a path cannot name a file the program writes for the user.
enum class OutputPathProblem {
    None,
    TooLong,  // empty (a name too long to place) or past kMaxPath: a cut one is another file
    Device,   // a device name in any part ("COM1", "nul.txt", "\\.\pipe\x"): no file at all
    Stream,   // a ':' past the drive ("file:stream", "file::$DATA"): a part of another file
};

// The name rules every file the program writes for the user passes (reports, the page,
// metrics, the history, the configuration). Letter case, trailing dots and blanks of a
// name and an extension do not make a device name a file name, as in Windows.
OutputPathProblem CheckOutputPath(const std::string& path);

}  // namespace vm
