#include <gtest/gtest.h>

#include <string>

#include "core/engine/DownloadTransfer.h"
#include "core/engine/PathIdentity.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

std::string Value(const std::vector<std::pair<std::string, std::string>>& headers,
                  const std::string& name) {
    for (const auto& header : headers) {
        if (header.first == name) return header.second;
    }
    return "<absent>";
}

TEST(PathIdentity, CapturesListedHeadersOnly) {
    const std::string block =
        "HTTP/1.1 200 OK\r\n"
        "Server: nginx/1.22.1\r\n"
        "X-CACHE: HIT from edge-1\r\n"
        "Set-Cookie: secret=1\r\n"
        "Via: 1.1 a,\r\n"
        " \t1.1 b\r\n"       // folded continuation
        "Age:  12  \r\n"     // trimmed
        "x-cache: MISS\r\n"  // repeated: joined
        "ETag: \"a\x01\x1f"
        "b\x7f\"\r\n"  // control characters dropped
        "X-Served-By no colon here\r\n"
        "\r\n"
        "Server: in the body\r\n";
    const auto headers = CaptureHeaders(block);
    EXPECT_EQ(Value(headers, "server"), "nginx/1.22.1");
    EXPECT_EQ(Value(headers, "x-cache"), "HIT from edge-1, MISS");
    EXPECT_EQ(Value(headers, "via"), "1.1 a, 1.1 b");
    EXPECT_EQ(Value(headers, "age"), "12");
    EXPECT_EQ(Value(headers, "etag"), "\"ab\"");
    EXPECT_EQ(Value(headers, "set-cookie"), "<absent>");
    EXPECT_EQ(Value(headers, "x-served-by"), "<absent>");
    // The order is the list's, whatever the server's.
    ASSERT_EQ(headers.size(), 5u);
    EXPECT_EQ(headers[0].first, "server");
    EXPECT_EQ(headers[1].first, "via");
    // Bare line feeds, no status line body, nothing captured.
    EXPECT_EQ(Value(CaptureHeaders("HTTP/1.0 200 OK\nAge: 3\n\n"), "age"), "3");
    EXPECT_TRUE(CaptureHeaders("").empty());
    EXPECT_TRUE(CaptureHeaders("HTTP/1.1 200 OK\r\n\r\n").empty());
}

TEST(PathIdentity, LongValuesAreCut) {
    const std::string huge(10000, 'x');
    auto headers = CaptureHeaders("HTTP/1.1 200 OK\r\nX-Cache: " + huge + "\r\n\r\n");
    EXPECT_EQ(Value(headers, "x-cache"), std::string(kMaxCapturedHeaderValue, 'x'));
    // Many repeats stay bounded too.
    std::string block = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 5000; ++i) block += "Via: hop\r\n";
    headers = CaptureHeaders(block + "\r\n");
    EXPECT_EQ(Value(headers, "via").size(), kMaxCapturedHeaderValue);
}

TEST(PathIdentity, AddressTexts) {
    struct Case {
        const char* text;
        const char* address;  // nullptr: refused
        AddressFamily family;
    } cases[] = {
        {"127.0.0.1", "127.0.0.1", AddressFamily::Ipv4},
        {"10.1.2.3:8080", "10.1.2.3", AddressFamily::Ipv4},
        {"::1", "::1", AddressFamily::Ipv6},
        {"[2001:db8::5]", "2001:db8::5", AddressFamily::Ipv6},
        {"fe80::1%3", "fe80::1%3", AddressFamily::Ipv6},
        {"", nullptr, AddressFamily::Unknown},
        {"example.com", nullptr, AddressFamily::Unknown},
        {"1.2.3", nullptr, AddressFamily::Unknown},
        {"[::1", nullptr, AddressFamily::Unknown},
    };
    for (const Case& c : cases) {
        std::string address;
        AddressFamily family = AddressFamily::Unknown;
        const bool ok = ParseAddressText(c.text, &address, &family);
        EXPECT_EQ(ok, c.address != nullptr) << c.text;
        if (ok) {
            EXPECT_EQ(address, c.address);
            EXPECT_EQ(family, c.family);
        }
    }
    // Text with its terminating NUL, as the library hands it.
    std::string address;
    AddressFamily family = AddressFamily::Unknown;
    ASSERT_TRUE(ParseAddressText(std::string_view("127.0.0.1\0junk", 14), &address, &family));
    EXPECT_EQ(address, "127.0.0.1");
}

TEST(PathIdentity, SocketAddressesAsText) {
    const uint8_t v4[4] = {192, 168, 0, 255};
    EXPECT_EQ(FormatIpv4(v4), "192.168.0.255");
    struct Case {
        uint8_t bytes[16];
        const char* text;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "::1"},
        {{0}, "::"},
        {{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1}, "2001:db8::1:0:0:1"},
        {{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}, "2001:db8:0:1:1:1:1:1"},
        {{0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xab, 0xcd}, "fe80::abcd"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatIpv6(c.bytes), c.text);
}

TEST(PathIdentity, CacheStatusAndTlsNames) {
    PathIdentity identity;
    EXPECT_EQ(CacheStatus(identity), "");
    identity.headers = {{"x-cache", "Hit from cloudfront"}};
    EXPECT_EQ(CacheStatus(identity), "HIT");
    identity.headers = {{"x-cache", "MISS, HIT"}, {"cf-cache-status", "dynamic"}};
    EXPECT_EQ(CacheStatus(identity), "DYNAMIC");
    identity.headers = {{"x-cache", ""}, {"x-cache-status", "EXPIRED"}};
    EXPECT_EQ(CacheStatus(identity), "EXPIRED");

    EXPECT_EQ(TlsProtocolName(0x800), "TLS 1.2");
    EXPECT_EQ(TlsProtocolName(0x1000), "TLS 1.3");
    EXPECT_EQ(TlsProtocolName(0), "");
    EXPECT_EQ(TlsCipherName(0x6610, 0), "AES 256");
    EXPECT_EQ(TlsCipherName(0x6611, 128), "AES 128");
    EXPECT_EQ(TlsCipherName(0x6801, 0), "RC4");
    EXPECT_EQ(TlsCipherName(0x1234, 128), "");
}

// The transfer takes the address from the connected report and the rest from the response.
TEST(PathIdentity, TransferCapturesTheResponse) {
    test::TransferHarness h;
    auto& response = h.net.Respond("https://localhost/a");
    response.rawHeaders = "HTTP/1.1 200 OK\r\nX-Cache: HIT\r\nServer: nginx\r\n\r\n";
    response.version = "HTTP/1.1";
    response.bodyBytes = 10;
    response.contentLength = "10";
    DownloadTransfer t(h.context);
    t.Init(0x55, WM_TRANSFER_EVENT, kTransferPostEvents);
    ASSERT_TRUE(t.OpenUrl("https://localhost/a"));
    h.context.registry.DispatchStatus(t.Serial(), 0, kStatusConnectedToServer, 0, 0,
                                      std::string_view("::1\0", 4));
    h.CompleteOpen(t.Serial());
    h.Pump(t);
    const PathIdentity identity = t.Identity();
    EXPECT_EQ(identity.address, "::1");
    EXPECT_EQ(identity.family, AddressFamily::Ipv6);
    EXPECT_EQ(identity.httpVersion, "HTTP/1.1");
    ASSERT_NE(identity.Header("x-cache"), nullptr);
    EXPECT_EQ(*identity.Header("x-cache"), "HIT");
    EXPECT_EQ(*identity.Header("server"), "nginx");
    EXPECT_EQ(identity.tlsProtocol, "");  // the scripted library does not tell

    // A second attempt on a connection the library kept reports no connecting: the address
    // is the one its server was connected to.
    h.net.Respond("https://LOCALHOST/b").rawHeaders = "HTTP/1.1 200 OK\r\n\r\n";
    DownloadTransfer again(h.context);
    again.Init(0x55, WM_TRANSFER_EVENT, kTransferPostEvents);
    ASSERT_TRUE(again.OpenUrl("https://LOCALHOST/b"));
    h.CompleteOpen(again.Serial());
    h.Pump(again);
    EXPECT_EQ(again.Identity().address, "::1");
    EXPECT_EQ(UrlOrigin("http://u:p@Host:8080/x?y"), "http://host:8080");
    EXPECT_EQ(UrlOrigin("ftp://h"), "ftp://h");
}

}  // namespace
}  // namespace vm
