#include "core/config/ProfileStore.h"

#include <cstdio>

#include "core/base/NumberText.h"

namespace vm {

// Longest refused text kept for the message: enough to recognise it, never a whole file.
constexpr size_t kMaxRefusedTextShown = 64;

bool ProfileStore::TakePlainInt(const std::string& section, const char* key,
                                const std::string& text, int32_t low, int32_t high,
                                int32_t* value) {
    int32_t parsed = 0;
    if (ParsePlainDecimalInt(text, &parsed) && parsed >= low && parsed <= high) {
        *value = parsed;
        return true;
    }
    ++refusedCount_;
    if (refused_.size() < kMaxRefusedNumbersKept) {
        refused_.push_back({section, key, text.substr(0, kMaxRefusedTextShown), low, high});
    }
    return false;
}

std::string DescribeRefusedNumber(const RefusedNumber& refused, const char* format) {
    const std::string place = refused.section.empty()
                                  ? "/" + refused.key + " " + refused.text
                                  : "[" + refused.section + "] " + refused.key + "=" + refused.text;
    char text[512];
    std::snprintf(text, sizeof text, format, place.c_str(), static_cast<int>(refused.low),
                  static_cast<int>(refused.high));
    return text;
}

}  // namespace vm
