#include "core/list/PathTexts.h"

#include <cstdio>
#include <initializer_list>

#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

std::string WithText(uint32_t formatId, const std::string& value) {
    const char* format = GetFormatString(formatId);
    const int length = std::snprintf(nullptr, 0, format, value.c_str());
    if (length <= 0) return value;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value.c_str());
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string Joined(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!text.empty()) text += ", ";
        text += part;
    }
    return text;
}

}  // namespace

std::string ServerAddressText(const PathIdentity& identity) {
    const std::string text =
        Joined({identity.address, identity.httpVersion, identity.tlsProtocol, identity.tlsCipher});
    return text.empty() ? GetString(IDS_PATH_NOT_KNOWN) : text;
}

std::string CacheText(const PathIdentity& identity) {
    const std::string* age = identity.Header("age");
    const std::string text =
        Joined({CacheStatus(identity), age != nullptr ? WithText(IDS_PATH_AGE, *age) : ""});
    return text.empty() ? GetString(IDS_PATH_NOT_KNOWN) : text;
}

std::string PathFigures(const PathIdentity& identity) {
    const std::string cache = CacheStatus(identity);
    return Joined({identity.address.empty() ? "" : WithText(IDS_PATH_FROM, identity.address),
                   identity.httpVersion,
                   cache.empty() ? "" : WithText(IDS_PATH_CACHE_STATUS, cache)});
}

}  // namespace vm
