#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// The system's ANSI code page, in which the program holds every text.
class CodePage {
public:
    virtual ~CodePage() = default;
    // Whether the byte starts a two-byte character (Japanese, Chinese and Korean pages).
    virtual bool IsLeadByte(uint8_t byte) const = 0;
    // UTF-16 text in this code page; a character the page lacks becomes its default one.
    virtual std::string FromUtf16(std::u16string_view text) const = 0;
    virtual std::u16string ToUtf16(std::string_view text) const = 0;
};

// The code page in use. Start-up sets the platform's before any text is read or compared;
// until then (and natively) it is a single-byte page holding the first 256 code points.
const CodePage& SystemCodePage();
// nullptr restores the single-byte page. The object must outlive its use.
void SetSystemCodePage(const CodePage* codePage);
// The lead bytes of SystemCodePage(), for loops that test every byte.
const std::array<bool, 256>& SystemLeadBytes();

}  // namespace vm
