#pragma once
#include <cstdint>
#include <string>

namespace vm {

// Where the text of an error code is looked up besides the system's own table.
enum class MessageModule {
    System,   // the system message table only
    NetMsg,   // network messages (codes 2100..2999)
    WinInet,  // the Internet library's messages (codes 12000..12174)
};

class MessageTable {
public:
    virtual ~MessageTable() = default;
    // The platform's text for the code, exactly as the platform returns it (line break
    // included); false when there is none.
    virtual bool Lookup(uint32_t code, MessageModule module, std::string* text) = 0;
};

}  // namespace vm
