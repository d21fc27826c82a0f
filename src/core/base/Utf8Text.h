#pragma once
#include <cstddef>
#include <string_view>

namespace vm {

// The length of the well-formed UTF-8 sequence at text[i] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF): 1 for ASCII, 2 to 4, or 0 when there is none.
size_t Utf8SequenceLength(std::string_view text, size_t i);

}  // namespace vm
