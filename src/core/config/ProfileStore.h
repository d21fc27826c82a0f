#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vm {

enum class ProfileDirection { Load, Save };

// Refused numbers kept for the message (a list of 500,000 items could refuse them all).
constexpr size_t kMaxRefusedNumbersKept = 20;

// A number a load refused: where it was and the text it found.
struct RefusedNumber {
    std::string section;  // "" for the command line
    std::string key;
    std::string text;
    int32_t low = 0;  // the range it had to be in
    int32_t high = 0;
};

// "[Download3] MinSpeed=0x1E8480" (no section for the command line: "/MinSpeed 0x1E8480"),
// put into the format (string IDS_NUMBER_REFUSED: the place, then low and high).
std::string DescribeRefusedNumber(const RefusedNumber& refused, const char* format);

// A named-value store that either loads values into their targets or saves them. Options,
// the window placement, the column layout and the items all pass through one. Every
// operation answers true for success. The operations keep this order.
class ProfileStore {
public:
    explicit ProfileStore(ProfileDirection direction) : direction_(direction) {}
    virtual ~ProfileStore() = default;

    bool IsLoading() const { return direction_ == ProfileDirection::Load; }

    // Both behave as ExchangeInt.
    virtual bool ExchangeBool(const char* key, int32_t& value, int32_t defaultValue) {
        return ExchangeInt(key, value, defaultValue);
    }
    virtual bool ExchangeFlag(const char* key, int32_t& value, int32_t defaultValue) {
        return ExchangeInt(key, value, defaultValue);
    }
    virtual bool ExchangeInt(const char* key, int32_t& value, int32_t defaultValue) = 0;
    // Loading: *count is the capacity on entry and the number of bytes decoded on return;
    // the answer is whether the stored text was non-empty.
    virtual bool ExchangeBinary(const char* key, uint8_t* bytes, size_t* count) = 0;
    // Loading keeps at most capacity - 1 characters.
    virtual bool ExchangeString(const char* key, std::string& value, const char* defaultText,
                                size_t capacity) = 0;
    virtual bool ExchangeUInt16(const char* key, uint16_t& value, uint16_t defaultValue) = 0;
    virtual bool ExchangeInt16(const char* key, int16_t& value, int16_t defaultValue) = 0;
    virtual bool DeleteKey(const char* key) = 0;
    virtual bool ExchangeDouble(const char* key, int decimals, double& value,
                                double defaultValue) = 0;

    // As ExchangeInt, but a load takes only a plain decimal number within [low, high]
    // (ParsePlainDecimalInt); any other text is noted in RefusedNumbers() and not taken.
    // Stores without text take the value as ExchangeInt does.
    virtual bool ExchangePlainInt(const char* key, int32_t& value, int32_t defaultValue,
                                  int32_t low, int32_t high) {
        (void)low;
        (void)high;
        return ExchangeInt(key, value, defaultValue);
    }

    // The section the following keys belong to; stores without sections ignore it.
    virtual void SetSection(const std::string& section) { (void)section; }

    // The first kMaxRefusedNumbersKept refusals, and how many there were in all.
    const std::vector<RefusedNumber>& RefusedNumbers() const { return refused_; }
    size_t RefusedCount() const { return refusedCount_; }

protected:
    // Whether text is a number ExchangePlainInt takes; notes it as refused when not.
    bool TakePlainInt(const std::string& section, const char* key, const std::string& text,
                      int32_t low, int32_t high, int32_t* value);

private:
    ProfileDirection direction_;
    std::vector<RefusedNumber> refused_;
    size_t refusedCount_ = 0;
};

}  // namespace vm
