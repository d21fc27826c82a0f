#pragma once
#include <cstdint>
#include <string>

#include "core/platform/MessageTable.h"

namespace vm {

// The platform's error texts, and the program's own (translatable) text for an error the
// program itself reports where the platform has none: Wine's library has no text for
// 12152, which an http answer that is no valid response fails with.
class FallbackMessageTable : public MessageTable {
public:
    explicit FallbackMessageTable(MessageTable& platform) : platform_(platform) {}
    bool Lookup(uint32_t code, MessageModule module, std::string* text) override;

private:
    MessageTable& platform_;
};

}  // namespace vm
