#pragma once
#include "core/base/ArgumentList.h"
#include "core/config/ProfileStore.h"

namespace vm {

// Options from the command line: "/" + key, then the value as the next argument ("" when
// the switch is last). A key that is absent leaves its target unchanged. Load only: in
// the save direction nothing happens.
class CommandLineProfileStore : public ProfileStore {
public:
    explicit CommandLineProfileStore(const ArgumentList& arguments)
        : ProfileStore(ProfileDirection::Load), arguments_(arguments) {}

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

    // How many options the command line set.
    int FoundCount() const { return found_; }

private:
    // The value after "/" + key, or nullptr when the switch is absent.
    const char* FindValue(const char* key);

    const ArgumentList& arguments_;
    int found_ = 0;
};

}  // namespace vm
