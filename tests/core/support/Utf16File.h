#pragma once
#include <string>
#include <string_view>

namespace vm::test {

// The bytes Notepad writes for "Unicode" (UTF-16LE) or "Unicode big endian" text: the
// byte order mark, then the text.
inline std::string Utf16File(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char low = static_cast<char>(c & 0xFF);
        const char high = static_cast<char>(c >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

}  // namespace vm::test
