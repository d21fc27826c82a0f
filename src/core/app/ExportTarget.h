#pragma once
#include <cstdint>
#include <string>

#include "core/platform/FileSystem.h"

namespace vm {

enum class ExportTargetVerdict {
    Accepted,
    TooLong,      // the name or its full path passes the path bound: a cut one names another file
    ProgramFile,  // the configuration, the translation file or the program itself
    InvalidName,  // a device ("COM1", "nul.txt") or a stream of a file ("a.cfg::$DATA")
};

// The files that no output of the program may replace, by their full paths.
struct ProgramFiles {
    std::string configPath;
    std::string languagePath;
    std::string programPath;
};

// A path as Windows completes it, for comparing: forward slashes as backslashes, a
// relative path (also "\dir" and "C:dir") taken from the directory, "." and ".." applied,
// trailing dots and blanks of each name dropped, ASCII letters lower-cased.
std::string ComparablePath(const std::string& path, const std::string& currentDirectory);

// Decides whether a report file named on the command line may be written, before anything
// is. The name is resolved as an export run resolves it (ResolveReportPath: beside the
// program unless it holds a backslash) into *path. The same file under another spelling
// (letter case, "..", slashes, a short name or a link) counts as the same file. A name
// that no writer of the program opens (CheckOutputPath) is refused here already. Export
// runs and every other command-line output file use it.
[[nodiscard]] ExportTargetVerdict CheckExportTarget(FileSystem& files, const std::string& name,
                                                    const std::string& programFolder,
                                                    const std::string& currentDirectory,
                                                    const ProgramFiles& own, std::string* path);

// The error code that says why a target was refused, 0 for an accepted one.
uint32_t ExportTargetError(ExportTargetVerdict verdict);

}  // namespace vm
