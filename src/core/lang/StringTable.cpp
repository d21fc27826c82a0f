#include "core/lang/StringTable.h"

#include <algorithm>
#include <cstring>

#include "core/lang/BuiltinStrings.h"

namespace vm {
namespace {

// Largest field width or precision a format may give.
constexpr size_t kMaxFormatWidth = 1024;

struct CacheEntry {
    uint32_t id;
    uint32_t offset;
};

// One per process; texts handed out point into the pool, which never moves.
struct StringCache {
    char pool[kStringPoolBytes];
    size_t poolUsed = 0;
    CacheEntry entries[kStringCacheEntries];
    size_t entryCount = 0;
    char scratch[kStringScratchBytes];
};

StringCache& Cache() {
    static StringCache cache;
    return cache;
}

StringTranslation* gTranslation = nullptr;

// Copies the text for the id into the scratch buffer; returns its length.
size_t FetchText(uint32_t id, char* scratch) {
    const uint32_t plainId = id & 0xFFFF;
    scratch[0] = '\0';
    if (!(id & kBuiltinStringFlag) && gTranslation != nullptr) {
        std::string translated;
        if (gTranslation->ReadString(static_cast<uint16_t>(plainId), &translated) &&
            !translated.empty()) {
            const size_t length = std::min(translated.size(), kMaxTranslatedString);
            std::memcpy(scratch, translated.data(), length);
            scratch[length] = '\0';
            // A NUL inside the value ends the text, as it would in a C buffer.
            return std::strlen(scratch);
        }
    }
    const char* builtin = FindBuiltinString(plainId);
    if (builtin == nullptr) return 0;
    const size_t length = std::min(std::strlen(builtin), kMaxBuiltinString);
    std::memcpy(scratch, builtin, length);
    scratch[length] = '\0';
    return length;
}

// Appends one conversion's argument signature ("d", "ld", "s", "*" ...) to out, moving p
// past the conversion. False for a malformed one.
bool ReadConversion(const char*& p, std::string* out) {
    ++p;  // the '%'
    while (*p && std::strchr("-+ #0'", *p)) ++p;
    // A huge width or precision would have printf pad for seconds or allocate a buffer of
    // that size, so a translation may not ask for more than kMaxFormatWidth.
    auto readNumber = [&]() -> bool {
        if (*p == '*') {
            out->append("*,");
            ++p;
            return true;
        }
        size_t value = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + static_cast<size_t>(*p - '0');
            if (value > kMaxFormatWidth) return false;
        }
        return true;
    };
    if (!readNumber()) return false;
    if (*p == '.') {
        ++p;
        if (!readNumber()) return false;
    }
    std::string length;
    while (*p && std::strchr("hlLqjzt", *p)) length += *p++;
    if (*p == '\0' || !std::strchr("diouxXeEfgGaAcspn", *p)) return false;
    out->append(length);
    out->push_back(*p == 'i' ? 'd' : *p);
    out->push_back(',');
    ++p;
    return true;
}

bool ConversionSignature(const char* format, std::string* out) {
    out->clear();
    for (const char* p = format; *p;) {
        if (*p != '%') {
            ++p;
        } else if (p[1] == '%') {
            p += 2;
        } else if (!ReadConversion(p, out)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void SetStringTranslation(StringTranslation* translation) { gTranslation = translation; }

const char* GetString(uint32_t id) {
    StringCache& cache = Cache();
    for (size_t i = 0; i < cache.entryCount; ++i) {
        if (cache.entries[i].id == id) return cache.pool + cache.entries[i].offset;
    }
    const size_t length = FetchText(id, cache.scratch);
    if (length == 0 || cache.poolUsed + length + 2 >= kStringPoolBytes ||
        cache.entryCount >= kStringCacheEntries) {
        return "";
    }
    char* text = cache.pool + cache.poolUsed;
    std::memcpy(text, cache.scratch, length + 1);
    cache.entries[cache.entryCount++] = {id, static_cast<uint32_t>(cache.poolUsed)};
    cache.poolUsed += length + 1;
    return text;
}

bool FormatConversionsMatch(const char* format, const char* reference) {
    std::string a, b;
    return ConversionSignature(format, &a) && ConversionSignature(reference, &b) && a == b;
}

const char* GetFormatString(uint32_t id) {
    const char* text = GetString(id);
    const char* builtin = GetString((id & 0xFFFF) | kBuiltinStringFlag);
    if (text == builtin || FormatConversionsMatch(text, builtin)) return text;
    return builtin;
}

StringCacheUsage GetStringCacheUsage() {
    const StringCache& cache = Cache();
    return {cache.entryCount, cache.poolUsed};
}

void ResetStringCacheForTesting() {
    StringCache& cache = Cache();
    cache.entryCount = 0;
    cache.poolUsed = 0;
}

}  // namespace vm
