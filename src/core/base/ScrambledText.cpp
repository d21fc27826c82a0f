#include "core/base/ScrambledText.h"

namespace vm {

std::string Unscramble(const uint8_t* bytes, size_t size, size_t maxLength) {
    std::string text;
    for (size_t i = 0; i < size && text.size() < maxLength; ++i) {
        const char c = static_cast<char>(bytes[i] ^ ScrambleKey(i));
        if (c == '\0') break;
        text += c;
    }
    return text;
}

}  // namespace vm
