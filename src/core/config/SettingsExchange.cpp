#include "core/config/SettingsExchange.h"

#include <cstdio>

#include "core/options/ConfigKeys.h"
#include "core/options/OptionTable.h"

namespace vm {
namespace {

// A key the specified file does not have: written only when set (other than its default),
// so files of a program that never uses it stay exactly as specified; an unset value
// removes a stale key.
void ExchangeOptionalInt(ProfileStore& store, const char* key, int32_t& value,
                         int32_t byDefault = 0) {
    if (store.IsLoading() || value != byDefault) {
        store.ExchangeInt(key, value, byDefault);
    } else {
        (void)store.DeleteKey(key);
    }
}

void ExchangeOptionalBool(ProfileStore& store, const char* key, int32_t& value, int32_t byDefault) {
    if (store.IsLoading() || value != byDefault) {
        store.ExchangeBool(key, value, byDefault);
    } else {
        (void)store.DeleteKey(key);
    }
}

// Any number a user may type where a script reads it: only a plain decimal number is taken.
void ExchangeNumber(ProfileStore& store, const OptionSpec& option, int32_t& value) {
    if (option.plainNumber) {
        store.ExchangePlainInt(option.key, value, option.numberDefault, option.low, option.high);
    } else {
        store.ExchangeInt(option.key, value, option.numberDefault);
    }
}

// A key the specified file does not have: written only when it differs from its default,
// so files of a program that never uses it stay exactly as specified; a value back at its
// default removes a stale key.
void ExchangeOptionalInt(ProfileStore& store, const OptionSpec& option, int32_t& value) {
    if (store.IsLoading() || value != option.numberDefault) {
        ExchangeNumber(store, option, value);
    } else {
        (void)store.DeleteKey(option.key);
    }
}

void ExchangeOptionalText(ProfileStore& store, const OptionSpec& option, std::string& value) {
    if (store.IsLoading() || !value.empty()) {
        store.ExchangeString(option.key, value, option.textDefault, option.bound);
    } else {
        (void)store.DeleteKey(option.key);
    }
}

}  // namespace

void ExchangeAppSettings(AppSettings& s, ProfileStore& store) {
    for (const OptionSpec& option : Options()) {
        switch (option.type) {
            case OptionType::Bool:
                if (option.writtenWhenSet) {
                    ExchangeOptionalBool(store, option.key, s.*option.number, option.numberDefault);
                } else {
                    store.ExchangeBool(option.key, s.*option.number, option.numberDefault);
                }
                break;
            case OptionType::Int:
                if (option.writtenWhenSet) {
                    ExchangeOptionalInt(store, option, s.*option.number);
                } else {
                    ExchangeNumber(store, option, s.*option.number);
                }
                break;
            case OptionType::Double:
                store.ExchangeDouble(option.key, static_cast<int>(option.bound), s.*option.decimal,
                                     option.decimalDefault);
                break;
            case OptionType::Text:
                if (option.writtenWhenSet) {
                    ExchangeOptionalText(store, option, s.*option.text);
                } else {
                    store.ExchangeString(option.key, s.*option.text, option.textDefault,
                                         option.bound);
                }
                break;
        }
    }
}

std::string DownloadSectionName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, kDownloadSectionFormat, index);
    return name;
}

void ExchangeDownloadItem(DownloadItem& item, ProfileStore& store, int index) {
    store.SetSection(DownloadSectionName(index));
    store.ExchangeString(config_key::kUrl, item.url, "", kUrlValueCapacity);
    store.ExchangeString(config_key::kDownloadName, item.name, "", kNameValueCapacity);
    store.ExchangeBool(config_key::kDisabled, item.disabled, 0);
    // KB/s; 0 = none, and a negative value counts as none.
    constexpr OptionSpec kMinSpeedRow =
        OptionSpec{config_key::kMinSpeed, OptionType::Int}.PlainNumber(INT32_MIN, INT32_MAX);
    ExchangeOptionalInt(store, kMinSpeedRow, item.minSpeed);
    ExchangeOptionalInt(store, config_key::kConnections, item.connections);
    ExchangeOptionalBool(store, config_key::kCompareConnections, item.compareConnections, 0);
    ExchangeOptionalInt(store, config_key::kRepeat, item.repeat);
    ExchangeOptionalInt(store, config_key::kLatencyProbe, item.latencyProbe);
}

}  // namespace vm
