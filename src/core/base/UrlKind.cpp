#include "core/base/UrlKind.h"

#include "core/base/TextUtil.h"

namespace vm {

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
