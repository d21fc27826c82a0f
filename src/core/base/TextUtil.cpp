#include "core/base/TextUtil.h"

#include <algorithm>
#include <cstring>

namespace vm {

void CopyBounded(char* out, size_t size, const char* text) {
    if (size == 0) return;
    size_t length = 0;
    while (length + 1 < size && text[length] != '\0') ++length;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

std::string TrimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool ReadLine(const std::string& text, size_t* position, std::string* line, size_t maxLength) {
    size_t pos = *position;
    if (pos >= text.size()) return false;
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    line->assign(text, pos, std::min(end - pos, maxLength));
    if (end < text.size()) {
        end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    }
    *position = end;
    return true;
}

bool StartsWithNoCase(std::string_view text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        char a = text[i];
        char b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

}  // namespace vm
