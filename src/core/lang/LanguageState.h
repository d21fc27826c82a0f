#pragma once
#include <string>

namespace vm {

constexpr size_t kMaxCharsetName = 62;
constexpr size_t kMaxTranslatorName = 62;
constexpr size_t kMaxTranslatorUrl = 254;

// What an active translation file says besides its texts. All off and empty without one.
struct LanguageState {
    bool rightToLeft = false;
    std::string charset;         // for the HTML report header; empty: none
    std::string translatorName;  // shown in the About dialog
    std::string translatorUrl;
};

}  // namespace vm
