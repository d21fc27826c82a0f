#include "core/platform/OutputPath.h"

namespace vm {
namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Whether one name of a path is a device Windows opens whatever folder it stands in: the
// part before the first dot, without trailing blanks, is CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, CONIN$ or CONOUT$.
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = UpperAscii(c);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (stem == device) return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

OutputPathProblem CheckOutputPath(const std::string& path) {
    if (path.empty() || path.size() > kMaxPath) return OutputPathProblem::TooLong;
    // "\\.\" and "\\?\" reach devices, or pass by the rules below.
    if (path.size() >= 4 && IsSlash(path[0]) && IsSlash(path[1]) &&
        (path[2] == '.' || path[2] == '?') && IsSlash(path[3])) {
        return OutputPathProblem::Device;
    }
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (path.find(':', drive ? 2 : 0) != std::string::npos) return OutputPathProblem::Stream;
    size_t start = drive ? 2 : 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSlash(path[end])) ++end;
        if (end > start && IsDeviceName(path.substr(start, end - start))) {
            return OutputPathProblem::Device;
        }
        start = end + 1;
    }
    return OutputPathProblem::None;
}

}  // namespace vm
