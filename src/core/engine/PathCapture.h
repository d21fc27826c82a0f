#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/engine/PathIdentity.h"
#include "core/platform/InternetLibrary.h"

namespace vm {

// Most origins whose address is remembered; past it the book starts afresh.
constexpr size_t kMaxRememberedOrigins = 1024;

// The address each origin (scheme, host, port) was last connected to. The library reports
// connecting only for a new connection to a host and port it has not resolved before, and
// then keeps that address for the process: a later request there uses the same one.
class AddressBook {
public:
    void Remember(const std::string& origin, const std::string& address);
    std::string Find(const std::string& origin) const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::string> addresses_;
};

// "http://user@Host:80/x" to "http://host:80": what the library keeps a connection for.
std::string UrlOrigin(const std::string& url);

// Gathers one attempt's path identity: the connected address as the library reports it
// (on its thread), the rest from the response once the open has completed (GUI thread).
class PathCapture {
public:
    // The library connected to the address in text (the latest connection wins: after a
    // redirect it is the server that answered).
    void OnConnected(std::string_view text);
    // Reads the response's version, captured headers and, for https, the secure
    // connection's protocol and cipher.
    void CaptureResponse(InternetLibrary& net, InternetHandle request, bool secure);
    void Clear();
    PathIdentity Identity() const;
    // The book of addresses and this attempt's origin in it: a connection reported is
    // remembered there, and an attempt that got none (the library reused what it had)
    // takes the origin's address from it.
    void SetOrigin(AddressBook* book, std::string origin);
    void UseKnownAddress();

private:
    mutable std::mutex mutex_;
    PathIdentity identity_;
    AddressBook* book_ = nullptr;
    std::string origin_;
};

}  // namespace vm
