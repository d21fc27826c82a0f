#pragma once
#include <string>

#include "core/platform/MessageTable.h"

namespace vm::test {

// Every code has the text "Text of <code>." with the platform's line break.
class FakeMessageTable : public MessageTable {
public:
    bool Lookup(uint32_t code, MessageModule, std::string* text) override {
        *text = "Text of " + std::to_string(code) + ".\r\n";
        return true;
    }
};

}  // namespace vm::test
