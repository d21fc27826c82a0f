#pragma once
#include "core/platform/CodePage.h"

namespace vm {

// The ANSI code page of the system (CP_ACP), as the "A" functions use it.
class WinCodePage : public CodePage {
public:
    bool IsLeadByte(uint8_t byte) const override;
    std::string FromUtf16(std::u16string_view text) const override;
    std::u16string ToUtf16(std::string_view text) const override;
};

}  // namespace vm
