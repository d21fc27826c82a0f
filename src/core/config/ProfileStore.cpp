#include "core/config/ProfileStore.h"

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
        refused_.push_back({section, key, text.substr(0, kMaxRefusedTextShown)});
    }
    return false;
}

}  // namespace vm
