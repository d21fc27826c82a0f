#include "win32/platform/WinTextEncoding.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace vm {

std::string WinTextEncoding::SystemToUtf8(const std::string& text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX / 4)) return text;
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return text;
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength));
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), wideLength) !=
        wideLength) {
        return text;
    }
    const int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) return text;
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr,
                            nullptr) != utf8Length) {
        return text;
    }
    return utf8;
}

}  // namespace vm
