#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vm {

// Deepest nesting the reader follows; deeper documents are refused rather than
// risking the stack.
constexpr int kMaxJsonDepth = 64;

// One parsed JSON value. Objects keep their members in document order.
struct JsonValue {
    enum class Kind : uint8_t { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // a string's UTF-8 text
    std::vector<JsonValue> elements;
    std::vector<std::pair<std::string, JsonValue>> members;

    // The member named key of an object; nullptr when absent or not an object.
    const JsonValue* Find(const char* key) const;
    // The member's number or text, or the fallback when it is missing or of another kind.
    double NumberOr(const char* key, double fallback) const;
    std::string TextOr(const char* key, const std::string& fallback) const;
};

// Parses one whole JSON text (surrounding white space allowed). False for anything that
// is not exactly one well-formed value: truncated text, trailing garbage, nesting past
// kMaxJsonDepth, a string with a raw control character or a bad escape.
[[nodiscard]] bool ParseJson(const char* text, size_t size, JsonValue* value);

}  // namespace vm
