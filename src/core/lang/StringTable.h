#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/lang/StringIds.h"

namespace vm {

constexpr size_t kStringPoolBytes = 32768;
constexpr size_t kStringCacheEntries = 256;
constexpr size_t kStringScratchBytes = 4096;
constexpr size_t kMaxTranslatedString = 4095;
constexpr size_t kMaxBuiltinString = 4094;

// Where translated texts come from while a translation file is active.
class StringTranslation {
public:
    virtual ~StringTranslation() = default;
    // The translated text of an id (at most kMaxTranslatedString characters are used);
    // false or an empty text when the file has none.
    virtual bool ReadString(uint16_t id, std::string* text) = 0;
};

// Activates (or, with nullptr, deactivates) the translation. Done once at start-up,
// before the first GetString: cached texts are never looked up again.
void SetStringTranslation(StringTranslation* translation);

// The text of a string id; id + kBuiltinStringFlag bypasses the translation. Never null:
// "" when there is no text or the cache is full. The text stays valid until exit.
// GUI thread only.
const char* GetString(uint32_t id);

// A string used as a printf format: the translated text only when its conversions match
// the built-in text's exactly, so a translation can never make a format read arguments
// that are not there (or write through %n).
const char* GetFormatString(uint32_t id);

// True when both formats take the same arguments in the same order.
bool FormatConversionsMatch(const char* format, const char* reference);

struct StringCacheUsage {
    size_t entries;
    size_t poolBytes;
};
StringCacheUsage GetStringCacheUsage();

// Empties the cache. Only for tests: it invalidates every text handed out before.
void ResetStringCacheForTesting();

}  // namespace vm
