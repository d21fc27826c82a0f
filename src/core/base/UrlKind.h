#pragma once
#include <string>

namespace vm {

enum class SchemeClass { Other = 0, Https = 1, Http = 2, Ftp = 3, Gopher = 4 };

SchemeClass SchemeOf(const std::string& url);

// A network share (two backslashes) or a drive path (":\" as second and third characters).
bool IsLocalPath(const std::string& url);

}  // namespace vm
