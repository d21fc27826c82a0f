#pragma once
#include <string>

namespace vm {

// The program's own files sit beside it: the executable's path with everything from its
// last "." removed (searched over the whole path, not only the file name), plus a suffix.
// ".cfg" gives the configuration file, "_lng.ini" the language file.
std::string CompanionFileName(const std::string& executablePath, const char* suffix);

}  // namespace vm
