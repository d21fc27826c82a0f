#include "win32/platform/TempFile.h"

#include <windows.h>

#include "core/base/PathRules.h"

namespace vm {

std::string WindowsFolder() {
    static const std::string folder = [] {
        char path[kMaxPath + 1] = {};
        const UINT length = GetWindowsDirectoryA(path, sizeof path);
        return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
    }();
    return folder;
}

uint32_t CreateTempFile(const char* prefix, std::string* path) {
    char folder[kMaxPath + 1] = {};
    const DWORD length = GetTempPathA(sizeof folder, folder);
    std::string where =
        length == 0 || length >= sizeof folder ? WindowsFolder() : std::string(folder, length);
    char name[kMaxPath + 1] = {};
    if (where.empty() || GetTempFileNameA(where.c_str(), prefix, 0, name) == 0) {
        path->clear();
        const uint32_t error = GetLastError();
        return error != 0 ? error : ERROR_PATH_NOT_FOUND;
    }
    *path = name;
    return 0;
}

}  // namespace vm
