#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

enum class ProfileDirection { Load, Save };

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

    // The section the following keys belong to; stores without sections ignore it.
    virtual void SetSection(const std::string& section) { (void)section; }

private:
    ProfileDirection direction_;
};

}  // namespace vm
