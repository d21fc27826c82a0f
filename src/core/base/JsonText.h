#pragma once
#include <cstdint>
#include <string>

#include "core/platform/Clock.h"

namespace vm {

// Appends text as a JSON string literal, quotes included. The text is taken as UTF-8:
// quotes, backslashes and control characters are escaped, and every byte that does not
// belong to a well-formed UTF-8 sequence becomes U+FFFD, so the result is always valid
// JSON whatever the input holds.
void AppendJsonString(std::string& out, const std::string& utf8);

// A finite number with at most `decimals` digits after the point, trailing zeros dropped
// ("2048", "0.5"); anything not finite is written as 0.
void AppendJsonNumber(std::string& out, double value, int decimals);

// A UTC file time as an ISO 8601 text with milliseconds ("2026-12-07T11:32:32.123Z");
// empty for a time that has no calendar date.
std::string IsoUtcTime(FileTime time);

// A small JSON builder: values are appended in document order; commas and key quoting are
// its business. Nesting is tracked so that a key or value after another gets its comma.
class JsonBuilder {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value, inside an object.
    void Key(const char* name);
    void String(const std::string& utf8);
    void Int(int64_t value);
    void UInt(uint64_t value);
    void Number(double value, int decimals);
    void Bool(bool value);
    // A line break before the next value or closing bracket (after its comma), for
    // readers that look at the file itself.
    void LineBreak() { pendingBreak_ = true; }

    const std::string& Text() const { return text_; }
    // Hands over what was built so far (with a pending line break) and starts empty,
    // keeping the nesting.
    std::string Take();

private:
    void BeforeValue();
    void PutPendingBreak();

    std::string text_;
    std::string nesting_;  // one char per open container: 'f' first value pending, 'n' not
    bool afterKey_ = false;
    bool pendingBreak_ = false;
};

}  // namespace vm
