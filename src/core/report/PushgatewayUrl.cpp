#include "core/report/PushgatewayUrl.h"

#include "core/base/TextUtil.h"
#include "core/report/MonitorSwitches.h"

namespace vm {
namespace {

// Everything but RFC 3986's unreserved characters is escaped, so that a name can never
// add a path segment.
std::string PercentEncode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace

std::string PushgatewayGroupUrl(const std::string& gatewayUrl, const std::string& computerName) {
    size_t hostStart = 0;
    if (StartsWithNoCase(gatewayUrl, "http://")) {
        hostStart = 7;
    } else if (StartsWithNoCase(gatewayUrl, "https://")) {
        hostStart = 8;
    } else {
        return std::string();
    }
    if (hostStart >= gatewayUrl.size() || gatewayUrl[hostStart] == '/') return std::string();
    // The group is a path of its own: a query or fragment in the address has no place.
    if (gatewayUrl.find_first_of("?#", hostStart) != std::string::npos) return std::string();
    std::string url = gatewayUrl;
    while (url.size() > hostStart && url.back() == '/') url.pop_back();
    url += "/metrics/job/";
    url += kPushJob;
    url += '/';
    url += kPushInstanceLabel;
    if (computerName.empty()) {
        url += "@base64/=";
    } else {
        url += '/';
        url += PercentEncode(computerName);
    }
    return url;
}

}  // namespace vm
