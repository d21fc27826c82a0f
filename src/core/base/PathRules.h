#pragma once
#include <string>

#include "core/platform/OutputPath.h"  // kMaxPath

namespace vm {

// The path up to its last backslash (no trailing backslash); unchanged without one.
std::string FolderOf(const std::string& path);

// Appends a backslash unless the text is empty or already ends with one.
std::string AddTrailingBackslash(const std::string& folder);

// folder + "\" + name, with no doubled backslash; an empty folder gets none.
std::string JoinPath(const std::string& folder, const std::string& name);

// The text after the last "\" or "/"; the whole text without either.
std::string FileNamePart(const std::string& path);

// Where a report file name goes: a name with a backslash is used as it is; any other is
// placed in the program's folder. "" when the result would pass kMaxPath.
std::string ResolveReportPath(const std::string& programFolder, const std::string& name);

}  // namespace vm
