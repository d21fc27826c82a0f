#include "core/engine/PathCapture.h"

namespace vm {

void AddressBook::Remember(const std::string& origin, const std::string& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (addresses_.size() >= kMaxRememberedOrigins && addresses_.count(origin) == 0)
        addresses_.clear();
    addresses_[origin] = address;
}

std::string AddressBook::Find(const std::string& origin) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = addresses_.find(origin);
    return found != addresses_.end() ? found->second : std::string();
}

std::string UrlOrigin(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return std::string();
    const size_t start = scheme + 3;
    size_t end = url.find_first_of("/?#", start);
    if (end == std::string::npos) end = url.size();
    const size_t at = url.rfind('@', end);
    const size_t host = at != std::string::npos && at >= start ? at + 1 : start;
    std::string origin = url.substr(0, start) + url.substr(host, end - host);
    for (char& c : origin) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return origin;
}

void PathCapture::SetOrigin(AddressBook* book, std::string origin) {
    std::lock_guard<std::mutex> lock(mutex_);
    book_ = book;
    origin_ = std::move(origin);
}

void PathCapture::OnConnected(std::string_view text) {
    std::string address;
    AddressFamily family = AddressFamily::Unknown;
    if (!ParseAddressText(text, &address, &family)) return;
    std::lock_guard<std::mutex> lock(mutex_);
    // The first connection is to the URL's own server (later ones may follow a redirect).
    if (identity_.address.empty() && book_ != nullptr && !origin_.empty())
        book_->Remember(origin_, address);
    identity_.address = std::move(address);
    identity_.family = family;
}

void PathCapture::UseKnownAddress() {
    std::string known;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!identity_.address.empty() || book_ == nullptr || origin_.empty()) return;
        known = book_->Find(origin_);
    }
    if (!known.empty()) OnConnected(known);
}

void PathCapture::CaptureResponse(InternetLibrary& net, InternetHandle request, bool secure) {
    PathIdentity found;
    std::string version;
    if (net.QueryInfoText(request, kHttpQueryVersion, &version)) {
        found.httpVersion = CleanHeaderValue(version);
    }
    std::string block;
    if (net.QueryInfoLongText(request, kHttpQueryRawHeadersCrlf, &block, kMaxHeaderBlockBytes)) {
        found.headers = CaptureHeaders(block);
    }
    uint32_t protocol = 0;
    uint32_t cipher = 0;
    uint32_t strength = 0;
    if (secure && net.QuerySecureConnection(request, &protocol, &cipher, &strength)) {
        found.tlsProtocol = TlsProtocolName(protocol);
        found.tlsCipher = TlsCipherName(cipher, strength);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    identity_.httpVersion = std::move(found.httpVersion);
    identity_.headers = std::move(found.headers);
    identity_.tlsProtocol = std::move(found.tlsProtocol);
    identity_.tlsCipher = std::move(found.tlsCipher);
}

void PathCapture::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    identity_ = PathIdentity();
}

PathIdentity PathCapture::Identity() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return identity_;
}

}  // namespace vm
