#include "win32/window/FileChooser.h"

#include <commdlg.h>

#include "core/base/TextUtil.h"

namespace vm {
namespace {

constexpr size_t kChooserPathBuffer = MAX_PATH;

// The request record without the later extension fields, as every Windows accepts it.
constexpr DWORD kRequestSize = 76;

OPENFILENAMEA MakeRequest(HWND owner, char* buffer, const std::string& filterList,
                          const char* title, const char* defaultExtension) {
    OPENFILENAMEA request = {};
    request.lStructSize = kRequestSize;
    request.hwndOwner = owner;
    request.lpstrFilter = filterList.empty() ? nullptr : filterList.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer;
    request.nMaxFile = kChooserPathBuffer;
    request.lpstrTitle = title;
    request.lpstrDefExt = defaultExtension;
    return request;
}

}  // namespace

bool ChooseOpenFile(HWND owner, std::string* path, const std::string& filterList, const char* title,
                    const char* defaultExtension) {
    char buffer[kChooserPathBuffer];
    CopyBounded(buffer, sizeof buffer, path->c_str());
    OPENFILENAMEA request = MakeRequest(owner, buffer, filterList, title, defaultExtension);
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&request)) return false;
    *path = buffer;
    return true;
}

bool ChooseSaveFile(HWND owner, int* filterIndex, std::string* path, const std::string& filterList,
                    const char* title, const char* defaultExtension) {
    char buffer[kChooserPathBuffer];
    CopyBounded(buffer, sizeof buffer, path->c_str());
    OPENFILENAMEA request = MakeRequest(owner, buffer, filterList, title, defaultExtension);
    request.nFilterIndex = filterIndex != nullptr && *filterIndex > 0 ? *filterIndex : 1;
    request.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&request)) return false;
    if (filterIndex != nullptr) *filterIndex = static_cast<int>(request.nFilterIndex);
    *path = buffer;
    return true;
}

}  // namespace vm
