#include "core/base/UrlKind.h"

#include <cctype>

namespace vm {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        const unsigned char a = static_cast<unsigned char>(text[i]);
        const unsigned char b = static_cast<unsigned char>(prefix[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

}  // namespace

SchemeClass SchemeOf(const std::string& url) {
    if (StartsWithNoCase(url, "https://")) return SchemeClass::Https;
    if (StartsWithNoCase(url, "http://")) return SchemeClass::Http;
    if (StartsWithNoCase(url, "ftp://")) return SchemeClass::Ftp;
    if (StartsWithNoCase(url, "gopher:")) return SchemeClass::Gopher;
    return SchemeClass::Other;
}

bool IsLocalPath(const std::string& url) {
    if (url.size() >= 2 && url[0] == '\\' && url[1] == '\\') return true;
    return url.size() >= 3 && url[1] == ':' && url[2] == '\\';
}

}  // namespace vm
