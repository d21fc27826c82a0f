#include "core/config/CommandLineProfileStore.h"

#include "core/base/NumberText.h"

namespace vm {

const char* CommandLineProfileStore::FindValue(const char* key) {
    if (!IsLoading()) return nullptr;
    const std::string name = std::string("/") + key;
    const int index = arguments_.Find(name);
    if (index < 0) return nullptr;
    ++found_;
    return arguments_.At(static_cast<size_t>(index) + 1);
}

bool CommandLineProfileStore::ExchangeInt(const char* key, int32_t& value, int32_t) {
    if (const char* text = FindValue(key)) value = ParseDecimalInt(text);
    return true;
}

bool CommandLineProfileStore::ExchangePlainInt(const char* key, int32_t& value, int32_t,
                                               int32_t low, int32_t high) {
    // A refused override leaves the value the file gave.
    // A switch in the last position sets 0, as for every number option.
    const char* text = FindValue(key);
    if (text != nullptr && text[0] == '\0') value = 0;
    if (text != nullptr && text[0] != '\0') (void)TakePlainInt("", key, text, low, high, &value);
    return true;
}

bool CommandLineProfileStore::ExchangeUInt16(const char* key, uint16_t& value, uint16_t) {
    if (const char* text = FindValue(key)) value = static_cast<uint16_t>(ParseDecimalInt(text));
    return true;
}

bool CommandLineProfileStore::ExchangeInt16(const char* key, int16_t& value, int16_t) {
    if (const char* text = FindValue(key)) value = static_cast<int16_t>(ParseDecimalInt(text));
    return true;
}

bool CommandLineProfileStore::ExchangeBinary(const char*, uint8_t*, size_t*) { return true; }

bool CommandLineProfileStore::ExchangeString(const char* key, std::string& value, const char*,
                                             size_t capacity) {
    if (const char* text = FindValue(key)) {
        value = text;
        if (capacity == 0) {
            value.clear();
        } else if (value.size() > capacity - 1) {
            value.resize(capacity - 1);
        }
    }
    return true;
}

bool CommandLineProfileStore::DeleteKey(const char*) { return true; }

bool CommandLineProfileStore::ExchangeDouble(const char* key, int, double& value, double) {
    if (const char* text = FindValue(key)) value = ParseDecimalDouble(text);
    return true;
}

}  // namespace vm
