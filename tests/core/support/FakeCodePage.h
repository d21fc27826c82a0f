#pragma once
#include <string>

#include "core/platform/CodePage.h"

namespace vm::test {

// A double-byte page shaped like Shift-JIS (lead bytes 81-9F and E0-FC) whose only
// double-byte character is U+30A2 (KATAKANA A) as 83 41; single bytes are Latin-1.
// Installed as the system code page for its lifetime.
class FakeDoubleByteCodePage : public CodePage {
public:
    FakeDoubleByteCodePage() { SetSystemCodePage(this); }
    ~FakeDoubleByteCodePage() override { SetSystemCodePage(nullptr); }

    bool IsLeadByte(uint8_t b) const override {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    std::string FromUtf16(std::u16string_view text) const override {
        std::string out;
        for (char16_t c : text) {
            if (c == 0x30A2) {
                out += "\x83\x41";
            } else {
                out +=
                    c < 0x100 && !IsLeadByte(static_cast<uint8_t>(c)) ? static_cast<char>(c) : '?';
            }
        }
        return out;
    }
    std::u16string ToUtf16(std::string_view text) const override {
        std::u16string out;
        for (size_t i = 0; i < text.size(); ++i) {
            const auto b = static_cast<unsigned char>(text[i]);
            if (IsLeadByte(b) && i + 1 < text.size()) {
                out += text.substr(i, 2) == "\x83\x41" ? u'\u30A2' : u'\u30FB';
                ++i;
            } else {
                out += static_cast<char16_t>(b);
            }
        }
        return out;
    }
};

}  // namespace vm::test
