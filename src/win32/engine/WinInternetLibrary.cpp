#include "win32/engine/WinInternetLibrary.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstring>

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
    registry->DispatchStatus(static_cast<uint32_t>(context), reinterpret_cast<uintptr_t>(handle),
                             status, result, error);
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
