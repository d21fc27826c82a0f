#pragma once
#include <cstddef>
#include <cstdint>

namespace vm {

struct BuiltinString {
    uint16_t id;
    const char* text;
};

// The English texts, ordered by id.
const BuiltinString* BuiltinStrings(size_t* count);

// The built-in text of an id, or nullptr when the table has none.
const char* FindBuiltinString(uint32_t id);

}  // namespace vm
