#pragma once
#include "core/platform/TextEncoding.h"

namespace vm {

// The system's ANSI code page to UTF-8, through UTF-16.
class WinTextEncoding : public TextEncoding {
public:
    std::string SystemToUtf8(const std::string& text) override;
};

}  // namespace vm
