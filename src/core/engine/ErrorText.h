#pragma once
#include <cstdint>
#include <string>

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

}  // namespace vm
