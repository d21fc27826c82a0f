#include "core/config/IniProfileStore.h"

#include <cstdio>

#include "core/base/HexCodec.h"
#include "core/base/NumberText.h"

namespace vm {
namespace {

// Decimals beyond this add nothing a double holds and could only make the text huge.
constexpr int kMaxDecimals = 17;

std::string FormatDouble(int decimals, double value) {
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    char text[512];  // %f of the largest double with 17 decimals needs 327 characters
    std::snprintf(text, sizeof text, "%0.*f", decimals, value);
    return text;
}

}  // namespace

int32_t IniProfileStore::ReadInt(const char* key, int32_t defaultValue) const {
    std::string_view text;
    if (!file_.Find(section_, key, &text) || text.empty()) return defaultValue;
    return ParseDecimalInt(text);
}

bool IniProfileStore::ExchangeInt(const char* key, int32_t& value, int32_t defaultValue) {
    if (IsLoading()) {
        value = ReadInt(key, defaultValue);
    } else {
        file_.Set(section_, key, std::to_string(value));
    }
    return true;
}

bool IniProfileStore::ExchangePlainInt(const char* key, int32_t& value, int32_t defaultValue,
                                       int32_t low, int32_t high) {
    if (!IsLoading()) return ExchangeInt(key, value, defaultValue);
    std::string_view text;
    value = defaultValue;
    // An empty value is no value, as for every other key.
    if (!file_.Find(section_, key, &text) || text.empty()) return true;
    (void)TakePlainInt(section_, key, std::string(text), low, high, &value);
    return true;
}

bool IniProfileStore::ExchangeUInt16(const char* key, uint16_t& value, uint16_t defaultValue) {
    if (IsLoading()) {
        value = static_cast<uint16_t>(ReadInt(key, defaultValue));
    } else {
        file_.Set(section_, key, std::to_string(value));
    }
    return true;
}

bool IniProfileStore::ExchangeInt16(const char* key, int16_t& value, int16_t defaultValue) {
    if (IsLoading()) {
        value = static_cast<int16_t>(ReadInt(key, defaultValue));
    } else {
        file_.Set(section_, key, std::to_string(value));
    }
    return true;
}

bool IniProfileStore::ExchangeBinary(const char* key, uint8_t* bytes, size_t* count) {
    if (!IsLoading()) {
        file_.Set(section_, key, EncodeHex(bytes, *count));
        return true;
    }
    std::string_view text;
    if (!file_.Find(section_, key, &text) || text.empty()) return false;
    // A value with nothing to decode leaves the caller's bytes as they were.
    (void)DecodeHex(text.substr(0, kMaxBinaryValueText), bytes, count);
    return true;
}

bool IniProfileStore::ExchangeString(const char* key, std::string& value, const char* defaultText,
                                     size_t capacity) {
    if (!IsLoading()) {
        file_.Set(section_, key, value);
        return true;
    }
    std::string_view text;
    if (!file_.Find(section_, key, &text)) text = defaultText != nullptr ? defaultText : "";
    const size_t keep = capacity > 0 ? capacity - 1 : 0;
    value.assign(text.data(), text.size() < keep ? text.size() : keep);
    return true;
}

bool IniProfileStore::DeleteKey(const char* key) {
    file_.Remove(section_, key);
    return true;
}

bool IniProfileStore::ExchangeDouble(const char* key, int decimals, double& value,
                                     double defaultValue) {
    if (!IsLoading()) {
        file_.Set(section_, key, FormatDouble(decimals, value));
        return true;
    }
    std::string_view text;
    const std::string defaultText = FormatDouble(decimals, defaultValue);
    if (!file_.Find(section_, key, &text)) text = defaultText;
    value = ParseDecimalDouble(text);
    return true;
}

}  // namespace vm
