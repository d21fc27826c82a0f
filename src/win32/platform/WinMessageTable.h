#pragma once
#include <cstdint>
#include <string>

#include "core/platform/MessageTable.h"

namespace vm {

// Error texts from the system's message tables, with the network and Internet library
// modules where their ranges ask for them.
class WinMessageTable : public MessageTable {
public:
    bool Lookup(uint32_t code, MessageModule module, std::string* text) override;
};

// The text of a system or Internet library error code (line break included; "" if none).
std::string SystemErrorText(uint32_t code);

}  // namespace vm
