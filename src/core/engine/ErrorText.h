#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/base/SharedText.h"
#include "core/platform/MessageTable.h"

namespace vm {

// Longest error text kept: the result buffer holds 1024 characters with the NUL.
constexpr size_t kMaxErrorText = 1023;

MessageModule MessageModuleForCode(uint32_t code);

// The platform's message text for an error code, trailing line break included;
// empty when the platform has none or it would not fit kMaxErrorText.
std::string GetErrorText(uint32_t code, MessageTable& table);

// The error text as an item stores it: every CR and LF becomes a space.
std::string FlattenLineBreaks(std::string text);

// The stored error text of each code, looked up once and shared by every item that fails
// with it (a list of refused items kept one copy each). A code's text is the code's
// alone: the platform's table does not change, and the program's own texts are
// translated once at start-up.
class ErrorTexts {
public:
    explicit ErrorTexts(MessageTable& table) : table_(table) {}
    // The code's text as an item stores it, line breaks flattened.
    SharedText For(uint32_t code);

private:
    static constexpr size_t kMaxCodes = 64;  // a run meets a handful

    MessageTable& table_;
    std::vector<std::pair<uint32_t, SharedText>> known_;
};

}  // namespace vm
