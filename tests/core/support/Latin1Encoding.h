#pragma once
#include <string>

#include "core/platform/TextEncoding.h"

namespace vm::test {

// The system code page taken as ISO 8859-1: every byte is the code point of its value.
class Latin1Encoding : public TextEncoding {
public:
    std::string SystemToUtf8(const std::string& text) override {
        std::string utf8;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                utf8 += c;
            } else {
                utf8 += static_cast<char>(0xC0 | (byte >> 6));
                utf8 += static_cast<char>(0x80 | (byte & 0x3F));
            }
        }
        return utf8;
    }
};

}  // namespace vm::test
