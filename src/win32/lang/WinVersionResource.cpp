#include "win32/lang/WinVersionResource.h"

#include <windows.h>

namespace vm {

WinVersionResource::WinVersionResource(const std::string& modulePath) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(modulePath.c_str(), &handle);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(modulePath.c_str(), 0, size, data_.data())) data_.clear();
}

bool WinVersionResource::FirstTranslation(uint16_t* language, uint16_t* codePage) {
    if (data_.empty()) return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        length < 4) {
        return false;
    }
    const WORD* pair = static_cast<const WORD*>(value);
    *language = pair[0];
    *codePage = pair[1];
    return true;
}

bool WinVersionResource::HasBlock(const std::string& path) {
    if (data_.empty()) return false;
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueA(data_.data(), path.c_str(), &value, &length) != 0;
}

bool WinVersionResource::QueryText(const std::string& path, std::string* text) {
    if (data_.empty()) return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), path.c_str(), &value, &length) || value == nullptr) {
        return false;
    }
    // length counts characters and may include the NUL; stop at the first NUL either way.
    const char* chars = static_cast<const char*>(value);
    size_t n = 0;
    while (n < length && chars[n] != '\0') ++n;
    text->assign(chars, n);
    return true;
}

}  // namespace vm
