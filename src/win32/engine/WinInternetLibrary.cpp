#include "win32/engine/WinInternetLibrary.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/engine/PathIdentity.h"

#include "win32/engine/HandleCloser.h"
#include "win32/engine/PostBehindInput.h"

namespace vm {
namespace {

std::atomic<LiveTransferRegistry*> gRegistry{nullptr};

constexpr DWORD kMaxHeaderText = 64;

// The core names its open flags as numbers; here they meet the library's own names.
constexpr DWORD kOpenFlagsCommon = INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT |
                                   INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                                   INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                   INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kOpenFlagsDefault == kOpenFlagsCommon, "open flags");
static_assert(kOpenFlagsHttps ==
                  (kOpenFlagsCommon | INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID |
                   INTERNET_FLAG_IGNORE_CERT_DATE_INVALID),
              "https open flags");
static_assert(kOpenFlagsPassiveFtp == (kOpenFlagsCommon | INTERNET_FLAG_PASSIVE),
              "passive ftp open flags");

// The steps of a request that the transfer stamps with their time.
bool IsPhaseStatus(DWORD status) {
    return status == INTERNET_STATUS_NAME_RESOLVED ||
           status == INTERNET_STATUS_CONNECTED_TO_SERVER || status == INTERNET_STATUS_REQUEST_SENT;
}

// Socket address families and sizes (winsock's AF_INET, AF_INET6, sockaddr_in and
// sockaddr_in6), named here to keep winsock's headers out: the address follows the family
// and port (IPv4), and the flow information too (IPv6).
constexpr unsigned kFamilyIpv4 = 2;
constexpr unsigned kFamilyIpv6 = 23;
constexpr DWORD kSockaddrIpv4Size = 16;
constexpr DWORD kSockaddrIpv6Size = 28;

// The address a connected status hands over: Wine's HTTP gives its text ("127.0.0.1",
// "::1"), its FTP the socket address itself.
std::string ConnectedAddress(const void* info, DWORD length) {
    if (info == nullptr || length == 0) return std::string();
    const auto* bytes = static_cast<const unsigned char*>(info);
    const unsigned family = bytes[0] | (length > 1 ? bytes[1] << 8 : 0);
    if (family == kFamilyIpv4 && length >= kSockaddrIpv4Size) return FormatIpv4(bytes + 4);
    if (family == kFamilyIpv6 && length >= kSockaddrIpv6Size) return FormatIpv6(bytes + 8);
    const auto* text = static_cast<const char*>(info);
    return std::string(text, strnlen(text, length < kMaxAddressText ? length : kMaxAddressText));
}

// On WinINet's threads (and, for some statuses, inside our own calls). The context is the
// transfer's serial; the registry decides whether a live transfer gets the report.
void CALLBACK InternetStatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                     DWORD infoLength) {
    // Receiving and received fire twice per read: skip everything we do not act on early.
    if (status != INTERNET_STATUS_REQUEST_COMPLETE && status != INTERNET_STATUS_HANDLE_CLOSING &&
        status != INTERNET_STATUS_CONNECTION_CLOSED && status != INTERNET_STATUS_HANDLE_CREATED &&
        !IsPhaseStatus(status)) {
        return;
    }
    LiveTransferRegistry* registry = gRegistry.load();
    if (registry == nullptr) return;
    uintptr_t result = 0;
    uint32_t error = 0;
    if (status == INTERNET_STATUS_REQUEST_COMPLETE && info != nullptr &&
        infoLength >= sizeof(INTERNET_ASYNC_RESULT)) {
        const auto* async = static_cast<const INTERNET_ASYNC_RESULT*>(info);
        result = static_cast<uintptr_t>(async->dwResult);
        error = async->dwError;
    }
    // The new handle comes as a bare handle (Wine's HTTP requests) or as an async result
    // (its FTP files); either way it travels as the result.
    if (status == INTERNET_STATUS_HANDLE_CREATED && info != nullptr) {
        if (infoLength == sizeof(HINTERNET)) {
            result = reinterpret_cast<uintptr_t>(*static_cast<const HINTERNET*>(info));
        } else if (infoLength >= sizeof(INTERNET_ASYNC_RESULT)) {
            result =
                static_cast<uintptr_t>(static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult);
        }
    }
    std::string address;
    if (status == INTERNET_STATUS_CONNECTED_TO_SERVER) address = ConnectedAddress(info, infoLength);
    registry->DispatchStatus(static_cast<uint32_t>(context), reinterpret_cast<uintptr_t>(handle),
                             status, result, error, address);
}

HINTERNET H(InternetHandle handle) { return reinterpret_cast<HINTERNET>(handle); }

}  // namespace

void WinInternetLibrary::BindRegistry(LiveTransferRegistry* registry) { gRegistry.store(registry); }

InternetHandle WinInternetLibrary::OpenRoot(const char* agent) {
    return reinterpret_cast<InternetHandle>(
        InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
}

bool WinInternetLibrary::SetStatusCallback(InternetHandle root) {
    return InternetSetStatusCallback(H(root), &InternetStatusCallback) !=
           INTERNET_INVALID_STATUS_CALLBACK;
}

bool WinInternetLibrary::SetTimeoutOption(InternetHandle root, uint32_t option,
                                          uint32_t milliseconds) {
    DWORD value = milliseconds;
    return InternetSetOptionA(H(root), option, &value, sizeof value) != FALSE;
}

namespace {

// The library error for a URL the library cannot open, or 0 when it looks usable. Wine's
// library takes any text and then never completes the open of one it cannot use, so the
// attempt would sit in "Connecting..." until the connect time-out.
DWORD UrlError(const char* url) {
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = 1;
    if (url == nullptr || url[0] == '\0') return ERROR_INTERNET_INVALID_URL;
    if (!InternetCrackUrlA(url, 0, 0, &parts)) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_INTERNET_INVALID_URL;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS &&
        parts.nScheme != INTERNET_SCHEME_FTP) {
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    }
    if (parts.dwHostNameLength == 0) return ERROR_INTERNET_INVALID_URL;
    return 0;
}

}  // namespace

InternetHandle WinInternetLibrary::OpenUrl(InternetHandle root, const char* url,
                                           const char* headers, uint32_t flags, uint32_t context) {
    if (const DWORD error = UrlError(url)) {
        SetLastError(error);
        return 0;
    }
    const DWORD headersLength =
        headers != nullptr && headers[0] != '\0' ? static_cast<DWORD>(-1) : 0;
    return reinterpret_cast<InternetHandle>(InternetOpenUrlA(
        H(root), url, headersLength != 0 ? headers : nullptr, headersLength, flags, context));
}

bool WinInternetLibrary::QueryInfoNumber(InternetHandle request, uint32_t query, uint32_t* value) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (!HttpQueryInfoA(H(request), query | HTTP_QUERY_FLAG_NUMBER, &number, &size, nullptr)) {
        return false;
    }
    *value = number;
    return true;
}

bool WinInternetLibrary::QueryInfoText(InternetHandle request, uint32_t query, std::string* text) {
    char buffer[kMaxHeaderText] = {};
    DWORD size = sizeof buffer - 1;
    if (!HttpQueryInfoA(H(request), query, buffer, &size, nullptr)) return false;
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    text->assign(buffer);
    return true;
}

bool WinInternetLibrary::QueryInfoLongText(InternetHandle request, uint32_t query,
                                           std::string* text, size_t maxBytes) {
    // Asked first with room for most header blocks; a longer one says its size.
    std::vector<char> buffer(4096);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size() - 1);
        if (HttpQueryInfoA(H(request), query, buffer.data(), &size, nullptr)) {
            text->assign(buffer.data(), size < buffer.size() ? size : buffer.size() - 1);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > maxBytes) return false;
        buffer.assign(static_cast<size_t>(size) + 2, '\0');
    }
    return false;
}

namespace {

// INTERNET_SECURITY_CONNECTION_INFO (option 66) as Windows lays it out; the mingw-w64
// headers lack it. The cipher details that follow the connection record are not read.
struct SecurityConnectionInfo {
    DWORD size;
    BOOL secure;
    DWORD protocol;
    DWORD cipher;
    DWORD cipherStrength;
    DWORD hash;
    DWORD hashStrength;
    DWORD exchange;
    DWORD exchangeStrength;
    BYTE cipherInfo[680];  // SecPkgContext_CipherInfo
};
constexpr DWORD kOptionSecurityConnectionInfo = 66;

}  // namespace

bool WinInternetLibrary::QuerySecureConnection(InternetHandle request, uint32_t* protocol,
                                               uint32_t* cipher, uint32_t* strength) {
    SecurityConnectionInfo info = {};
    info.size = sizeof info;
    DWORD size = sizeof info;
    if (!InternetQueryOptionA(H(request), kOptionSecurityConnectionInfo, &info, &size) ||
        !info.secure) {
        return false;
    }
    *protocol = info.protocol;
    *cipher = info.cipher;
    *strength = info.cipherStrength;
    return true;
}

bool WinInternetLibrary::QueryDataAvailable(InternetHandle request, uint32_t* available) {
    static_assert(sizeof(DWORD) == sizeof(uint32_t), "the library writes DWORD counts");
    return InternetQueryDataAvailable(H(request), reinterpret_cast<DWORD*>(available), 0, 0) !=
           FALSE;
}

bool WinInternetLibrary::ReadFile(InternetHandle request, void* buffer, uint32_t size,
                                  uint32_t* count) {
    return InternetReadFile(H(request), buffer, size, reinterpret_cast<DWORD*>(count)) != FALSE;
}

bool WinInternetLibrary::ReadArrived(InternetHandle request, void* buffer, uint32_t size,
                                     uint32_t* count) {
    // IRF_NO_WAIT: what the library holds or the socket has now, nothing more. When nothing
    // has arrived the call may go pending as a mere wait for data, which writes no count;
    // the record outlives the call all the same, so no completion can write into a dead
    // stack frame.
    static thread_local INTERNET_BUFFERSA buffers;
    buffers = {};
    buffers.dwStructSize = sizeof buffers;
    buffers.lpvBuffer = buffer;
    buffers.dwBufferLength = size;
    if (!InternetReadFileExA(H(request), &buffers, IRF_NO_WAIT, 0)) return false;
    *count = buffers.dwBufferLength;
    return true;
}

bool WinInternetLibrary::CloseHandle(InternetHandle handle) {
    if (handle == 0) return false;
    CloseHandleInBackground(H(handle));
    return true;
}

void WinInternetLibrary::CloseHandleHere(InternetHandle handle) {
    if (handle != 0) vm::CloseHandleHere(H(handle));
}

uint32_t WinInternetLibrary::LastError() { return GetLastError(); }

bool WinInternetLibrary::LastResponse(uint32_t* error, std::string* text, size_t maxText) {
    // Room for any FTP reply that matters; a longer one is not fetched at all (the library
    // then asks for a larger buffer and copies nothing).
    char buffer[4096];
    DWORD code = 0;
    DWORD length = sizeof buffer;
    if (!InternetGetLastResponseInfoA(&code, buffer, &length)) return false;
    if (length > sizeof buffer) length = sizeof buffer;
    *error = code;
    text->assign(buffer, strnlen(buffer, length));
    if (text->size() > maxText) text->resize(maxText);
    return code != 0 || !text->empty();
}

bool WinInternetLibrary::PostEvent(uintptr_t window, uint32_t message, uint32_t code,
                                   uint32_t serial) {
    return PostMessageA(reinterpret_cast<HWND>(window), message, code, serial) != FALSE;
}

bool WinInternetLibrary::PostEventAfterInput(uintptr_t window, uint32_t message, uint32_t code,
                                             uint32_t serial) {
    return PostBehindInput(reinterpret_cast<HWND>(window), message, code,
                           static_cast<LPARAM>(serial));
}

void WinInternetLibrary::DebugOutput(const char* text) { OutputDebugStringA(text); }

}  // namespace vm
