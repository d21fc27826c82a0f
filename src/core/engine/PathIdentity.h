#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vm {

// Longest value kept of a captured response header, and of an address text.
constexpr size_t kMaxCapturedHeaderValue = 255;
constexpr size_t kMaxAddressText = 63;
// Most of a response's header block that is read to find the captured headers; a larger
// block (a server sending megabytes of headers) is not searched.
constexpr size_t kMaxHeaderBlockBytes = 256 * 1024;
constexpr size_t kMaxTlsText = 31;

enum class AddressFamily { Unknown, Ipv4, Ipv6 };

// Which server answered one attempt and how: the address the library connected to, the
// response's protocol version, TLS where the library tells it, and the response headers
// that name a server, a cache or the content. Empty texts are unknown.
struct PathIdentity {
    std::string address;
    AddressFamily family = AddressFamily::Unknown;
    std::string httpVersion;  // "HTTP/1.1"
    std::string tlsProtocol;  // "TLS 1.2"
    std::string tlsCipher;    // "AES 256"
    // The captured headers present in the response, in the order of CapturedHeaderNames,
    // names lower-cased, values cleaned.
    std::vector<std::pair<std::string, std::string>> headers;

    bool Known() const {
        return !address.empty() || !httpVersion.empty() || !tlsProtocol.empty() || !headers.empty();
    }
    // The value of a captured header; nullptr when the response had none.
    const std::string* Header(std::string_view name) const;
};

// The headers captured, lower-cased, in the order they are reported.
const std::vector<const char*>& CapturedHeaderNames();

// The captured headers of a raw header block (status line first, lines ending in CRLF or
// LF). A line starting with a space or tab continues the header before it; a header sent
// more than once is joined with ", " as HTTP combines them.
std::vector<std::pair<std::string, std::string>> CaptureHeaders(std::string_view block);

// A header value as kept: surrounding white space trimmed, control characters dropped,
// cut to kMaxCapturedHeaderValue.
std::string CleanHeaderValue(std::string_view value);

// The library's text of a connected address, cleaned ("[::1]" and a trailing port taken
// off), with its family; false when it holds no address.
[[nodiscard]] bool ParseAddressText(std::string_view text, std::string* address,
                                    AddressFamily* family);
std::string FormatIpv4(const uint8_t bytes[4]);
// The shortest form: the longest run of two or more zero groups written as "::".
std::string FormatIpv6(const uint8_t bytes[16]);
// "ipv4", "ipv6", or "" for none.
const char* FamilyWord(AddressFamily family);

// The cache's verdict a CDN or proxy put in its headers ("HIT", "MISS", "EXPIRED"...): the
// first word of cf-cache-status, x-cache-status or x-cache (in that order), upper-cased;
// "" when none says.
std::string CacheStatus(const PathIdentity& identity);

// The library's numbers of a secure connection to text: the protocol bit of the security
// package ("TLS 1.2"), the cipher's algorithm id and strength in bits ("AES 256"). "" for
// numbers not known.
std::string TlsProtocolName(uint32_t protocol);
std::string TlsCipherName(uint32_t algorithm, uint32_t strengthBits);

}  // namespace vm
