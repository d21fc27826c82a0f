#include "core/config/SettingsExchange.h"

#include <cstdio>

#include "core/options/ConfigKeys.h"
#include "core/options/OptionTable.h"

namespace vm {
namespace {

// A key the specified file does not have: written only when set, so files of a program
// that never uses it stay exactly as specified; an unset value removes a stale key.
void ExchangeOptionalInt(ProfileStore& store, const char* key, int32_t& value) {
    if (store.IsLoading() || value != 0) {
        store.ExchangeInt(key, value, 0);
    } else {
        (void)store.DeleteKey(key);
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
            case OptionType::kBool:
                if (option.writtenWhenSet) {
                    ExchangeOptionalInt(store, option.key, s.*option.number);
                } else {
                    store.ExchangeBool(option.key, s.*option.number, option.numberDefault);
                }
                break;
            case OptionType::kInt:
                if (option.writtenWhenSet) {
                    ExchangeOptionalInt(store, option.key, s.*option.number);
                } else {
                    store.ExchangeInt(option.key, s.*option.number, option.numberDefault);
                }
                break;
            case OptionType::kDouble:
                store.ExchangeDouble(option.key, static_cast<int>(option.bound), s.*option.decimal,
                                     option.decimalDefault);
                break;
            case OptionType::kText:
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
    ExchangeOptionalInt(store, config_key::kMinSpeed, item.minSpeed);
    ExchangeOptionalInt(store, config_key::kLatencyProbe, item.latencyProbe);
}

}  // namespace vm
