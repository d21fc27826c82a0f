#include "core/platform/CodePage.h"

namespace vm {
namespace {

class Latin1CodePage : public CodePage {
public:
    bool IsLeadByte(uint8_t) const override { return false; }
    std::string FromUtf16(std::u16string_view text) const override {
        std::string out;
        out.reserve(text.size());
        for (char16_t c : text) out += c < 0x100 ? static_cast<char>(c) : '?';
        return out;
    }
    std::u16string ToUtf16(std::string_view text) const override {
        std::u16string out;
        out.reserve(text.size());
        for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
        return out;
    }
};

const Latin1CodePage gLatin1;
const CodePage* gCodePage = &gLatin1;
std::array<bool, 256> gLeadBytes = {};

}  // namespace

const CodePage& SystemCodePage() { return *gCodePage; }

void SetSystemCodePage(const CodePage* codePage) {
    gCodePage = codePage != nullptr ? codePage : &gLatin1;
    for (int b = 0; b < 256; ++b) gLeadBytes[b] = gCodePage->IsLeadByte(static_cast<uint8_t>(b));
}

const std::array<bool, 256>& SystemLeadBytes() { return gLeadBytes; }

}  // namespace vm
