#pragma once
#include <string>

namespace vm {

// A path in the temporary folder.
std::string TempFilePath(const std::string& name);

// The whole file, or "" when it cannot be read.
std::string ReadFileText(const std::string& path);

// Writes the file through the program's own file layer; a failure fails the test.
void WriteFileText(const std::string& path, const std::string& text);

}  // namespace vm
