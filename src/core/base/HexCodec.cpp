#include "core/base/HexCodec.h"

#include <cstdio>
#include <cstdlib>

namespace vm {

std::string EncodeHex(const uint8_t* bytes, size_t count) {
    if (count > kMaxHexBytes) count = kMaxHexBytes;
    std::string text;
    text.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%2.2X", static_cast<unsigned>(bytes[i]));
        if (i > 0) text += ' ';
        text += pair;
    }
    return text;
}

bool DecodeHex(std::string_view text, uint8_t* bytes, size_t* count) {
    const size_t capacity = *count;
    size_t decoded = 0;
    for (size_t i = 0; i < text.size() && decoded < capacity;) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const char pair[3] = {text[i], i + 1 < text.size() ? text[i + 1] : '\0', '\0'};
        bytes[decoded++] = static_cast<uint8_t>(std::strtoul(pair, nullptr, 16));
        i += 2;
    }
    if (decoded == 0) return false;
    *count = decoded;
    return true;
}

}  // namespace vm
