#pragma once
#include <cstddef>
#include <string>

namespace vm {

// The About dialog's buffers hold this many characters.
constexpr size_t kAboutProductTextLimit = 254;
constexpr size_t kAboutLinkTextLimit = 256;

// The product lines of the About dialog (two lines) and the address its link opens,
// unscrambled afresh on each call.
std::string AboutProductText();
std::string AboutLinkText();

}  // namespace vm
