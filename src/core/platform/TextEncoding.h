#pragma once
#include <string>

namespace vm {

// Conversion of the program's 8-bit texts (the system's ANSI code page) for formats that
// are defined in Unicode.
class TextEncoding {
public:
    virtual ~TextEncoding() = default;
    // The text in UTF-8. A text the platform cannot convert comes back unchanged; writers
    // that need valid UTF-8 must still check it.
    virtual std::string SystemToUtf8(const std::string& text) = 0;
};

}  // namespace vm
