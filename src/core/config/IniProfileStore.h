#pragma once
#include <string>

#include "core/config/ProfileStore.h"
#include "core/ini/IniFile.h"

namespace vm {

// Longest binary value text read: the encoder's 8192 characters.
constexpr size_t kMaxBinaryValueText = 8192;

constexpr const char kGeneralSection[] = "General";

// The configuration file's store over a document in memory: integers as signed decimal
// text, strings as they are, binary values as hexadecimal text, doubles with a fixed
// number of decimals. A missing key loads its default; an integer that is not a number
// loads as 0; an empty integer value counts as missing.
class IniProfileStore : public ProfileStore {
public:
    IniProfileStore(IniFile& file, ProfileDirection direction)
        : ProfileStore(direction), file_(file) {}

    bool ExchangeInt(const char* key, int32_t& value, int32_t defaultValue) override;
    bool ExchangePlainInt(const char* key, int32_t& value, int32_t defaultValue, int32_t low,
                          int32_t high) override;
    bool ExchangeBinary(const char* key, uint8_t* bytes, size_t* count) override;
    bool ExchangeString(const char* key, std::string& value, const char* defaultText,
                        size_t capacity) override;
    bool ExchangeUInt16(const char* key, uint16_t& value, uint16_t defaultValue) override;
    bool ExchangeInt16(const char* key, int16_t& value, int16_t defaultValue) override;
    bool DeleteKey(const char* key) override;
    bool ExchangeDouble(const char* key, int decimals, double& value, double defaultValue) override;
    void SetSection(const std::string& section) override { section_ = section; }

    const std::string& Section() const { return section_; }

private:
    int32_t ReadInt(const char* key, int32_t defaultValue) const;

    IniFile& file_;
    std::string section_ = kGeneralSection;
};

}  // namespace vm
