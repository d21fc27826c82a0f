#include "win32/engine/WinLatencyProber.h"

#include <cstdlib>
#include <string>

#include "core/platform/InternetLibrary.h"

namespace vm {
namespace {

// A probe waits this long for its answer at most.
constexpr DWORD kProbeTimeoutMs = 10000;
// What a TLS handshake moves (hello, certificate, key exchange): the library does not
// tell, so each https probe counts this much on top of its request and answer.
constexpr uint64_t kTlsHandshakeBytes = 4096;
// Request headers the library adds of its own (Accept, Cache-Control, Pragma...).
constexpr uint64_t kLibraryHeaderBytes = 96;
constexpr DWORD kMaxProbeUrl = 4096;

constexpr DWORD kProbeFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                              INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                              INTERNET_FLAG_PRAGMA_NOCACHE;
constexpr DWORD kSecureProbeFlags = kProbeFlags | INTERNET_FLAG_SECURE |
                                    INTERNET_FLAG_IGNORE_CERT_CN_INVALID |
                                    INTERNET_FLAG_IGNORE_CERT_DATE_INVALID;

double CounterMs(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f = {};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

LONGLONG Now() {
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

struct UrlParts {
    std::string host;
    std::string path;
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackUrl(const std::string& url, UrlParts* parts) {
    if (url.size() >= kMaxProbeUrl) return false;
    char host[256] = {};
    char path[kMaxProbeUrl] = {};
    char extra[kMaxProbeUrl] = {};
    URL_COMPONENTSA c = {};
    c.dwStructSize = sizeof c;
    c.lpszHostName = host;
    c.dwHostNameLength = sizeof host;
    c.lpszUrlPath = path;
    c.dwUrlPathLength = sizeof path;
    c.lpszExtraInfo = extra;
    c.dwExtraInfoLength = sizeof extra;
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &c)) return false;
    if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
    parts->host = host;
    parts->path = std::string(path) + extra;
    if (parts->path.empty()) parts->path = "/";
    parts->port = c.nPort;
    parts->secure = c.nScheme == INTERNET_SCHEME_HTTPS;
    return !parts->host.empty();
}

class Handle {
public:
    explicit Handle(HINTERNET h) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr) InternetCloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HINTERNET get() const { return h_; }

private:
    HINTERNET h_;
};

DWORD StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr)) {
        return 0;
    }
    return status;
}

uint64_t HeaderBytes(HINTERNET request) {
    DWORD size = 0;
    HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    return size;
}

// One request on a new connection: the time to its answer's headers, its status and the
// bytes it moved.
bool TimedRequest(HINTERNET connect, const UrlParts& parts, const char* method,
                  const std::string& headers, ProbeOutcome* outcome, DWORD* status) {
    Handle request(HttpOpenRequestA(connect, method, parts.path.c_str(), nullptr, nullptr, nullptr,
                                    parts.secure ? kSecureProbeFlags : kProbeFlags, 0));
    if (request.get() == nullptr) return false;
    DWORD timeout = kProbeTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(request.get(), option, &timeout, sizeof timeout);
    }
    const LONGLONG start = Now();
    const BOOL sent = HttpSendRequestA(request.get(), headers.c_str(),
                                       static_cast<DWORD>(headers.size()), nullptr, 0);
    const LONGLONG end = Now();
    outcome->bytes += std::string(method).size() + parts.path.size() + parts.host.size() +
                      headers.size() + std::string(kUserAgent).size() + kLibraryHeaderBytes;
    if (parts.secure) outcome->bytes += kTlsHandshakeBytes;
    if (!sent) return false;
    outcome->ms = CounterMs(end - start);
    outcome->bytes += HeaderBytes(request.get());
    *status = StatusOf(request.get());
    char length[32] = {};
    DWORD lengthSize = sizeof length - 1;
    if (*status == HTTP_STATUS_OK &&
        HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH, length, &lengthSize, nullptr)) {
        outcome->contentLength = std::strtoull(length, nullptr, 10);
    }
    if (std::string(method) == "GET") {
        char byte = 0;
        DWORD read = 0;
        // A server that ignored the range would send the whole body: not read, not drained.
        if (*status == 206 && InternetReadFile(request.get(), &byte, 1, &read)) {
            outcome->bytes += read;
        }
    }
    return true;
}

}  // namespace

HINTERNET WinLatencyProber::Session() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session_ == nullptr) {
        session_ = InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    }
    return session_;
}

ProbeOutcome WinLatencyProber::Probe(const std::string& url) {
    ProbeOutcome outcome;
    UrlParts parts;
    HINTERNET session = Session();
    if (session == nullptr || !CrackUrl(url, &parts)) return outcome;
    Handle connect(InternetConnectA(session, parts.host.c_str(), parts.port, nullptr, nullptr,
                                    INTERNET_SERVICE_HTTP, 0, 0));
    if (connect.get() == nullptr) return outcome;
    DWORD status = 0;
    if (!TimedRequest(connect.get(), parts, "HEAD", "Connection: close\r\n", &outcome, &status))
        return outcome;
    if (status == HTTP_STATUS_BAD_METHOD || status == HTTP_STATUS_NOT_SUPPORTED) {
        // HEAD refused: the first byte of the body instead.
        if (!TimedRequest(connect.get(), parts, "GET", "Range: bytes=0-0\r\nConnection: close\r\n",
                          &outcome, &status)) {
            return outcome;
        }
        if (status == HTTP_STATUS_OK) outcome.unusable = true;
    }
    outcome.ok = status >= 100 && status < 400;
    return outcome;
}

}  // namespace vm
