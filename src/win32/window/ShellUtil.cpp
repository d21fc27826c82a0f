#include "win32/window/ShellUtil.h"

#include <shellapi.h>

#include <cstdio>

#include "core/base/PathRules.h"
#include "win32/platform/WinMessageTable.h"

namespace vm {

void ShowErrorBox(uint32_t code, HWND owner) {
    if (code == 0) code = GetLastError();
    char text[1024];
    std::snprintf(text, sizeof text, "Error %d: %s", static_cast<int>(code),
                  SystemErrorText(code).c_str());
    MessageBoxA(owner, text, "Error", MB_ICONWARNING);
}

bool ShellOpen(HWND owner, const std::string& target, int showCommand) {
    const HINSTANCE result = ShellExecuteA(owner, "open", target.c_str(), "", "", showCommand);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

namespace {
HCURSOR gReplacedCursor = nullptr;
}

void BeginWaitCursor() { gReplacedCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

void EndWaitCursor() { SetCursor(gReplacedCursor); }

std::string ProgramPath() {
    char path[kMaxPath + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    return std::string(path, length);
}

std::string ProgramFolder() { return FolderOf(ProgramPath()); }

std::string CurrentDirectory() {
    char path[kMaxPath + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof path, path);
    if (length == 0 || length >= sizeof path) return std::string();
    return std::string(path, length);
}

std::string ReportFolder() {
    static const std::string folder = [] {
        const std::string programFolder = ProgramFolder();
        const DWORD attributes = GetFileAttributesA(programFolder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY)) {
            return programFolder;
        }
        char temp[kMaxPath + 1] = {};
        const DWORD length = GetTempPathA(sizeof temp, temp);
        if (length == 0 || length >= sizeof temp) return programFolder;
        std::string tempFolder(temp, length);
        if (tempFolder.size() > 3 && tempFolder.back() == '\\') tempFolder.pop_back();
        return tempFolder;
    }();
    return folder;
}

bool IsSameFilePath(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    char fullA[kMaxPath + 1] = {};
    char fullB[kMaxPath + 1] = {};
    const DWORD lengthA = GetFullPathNameA(a.c_str(), sizeof fullA, fullA, nullptr);
    const DWORD lengthB = GetFullPathNameA(b.c_str(), sizeof fullB, fullB, nullptr);
    if (lengthA == 0 || lengthA >= sizeof fullA || lengthB == 0 || lengthB >= sizeof fullB) {
        return lstrcmpiA(a.c_str(), b.c_str()) == 0;
    }
    return lstrcmpiA(fullA, fullB) == 0;
}

}  // namespace vm
