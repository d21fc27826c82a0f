#include "win32/engine/PushgatewayClient.h"

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <vector>

namespace vm {
namespace {

constexpr char kContentType[] = "Content-Type: text/plain; version=0.0.4\r\n";
// How much longer than the library's own time-outs the caller waits for the thread.
constexpr DWORD kThreadGraceMs = 5000;

// Shared by the caller and the thread: the thread may outlive a caller that gave up.
struct PushJob {
    std::string url;
    std::string body;
    uint32_t timeoutMs = 0;
    PushResult result;
};

// Wine takes the time-outs from the request handle only, not from the session's.
void SetTimeouts(HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(handle, option, &ms, sizeof ms);
    }
}

void CloseIfOpen(HINTERNET handle) {
    if (handle != nullptr) InternetCloseHandle(handle);
}

PushResult RunPush(const std::string& url, const std::string& body, DWORD timeoutMs) {
    PushResult result;
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    std::vector<char> host(INTERNET_MAX_HOST_NAME_LENGTH + 1);
    std::vector<char> path(url.size() + 1);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (url.size() > 0xFFFF ||
        !InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        result.error = ERROR_INTERNET_INVALID_URL;
        return result;
    }
    HINTERNET session =
        InternetOpenA("Velocimark", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    if (session != nullptr) {
        SetTimeouts(session, timeoutMs);
        connection = InternetConnectA(session, host.data(), parts.nPort, nullptr, nullptr,
                                      INTERNET_SERVICE_HTTP, 0, 0);
    }
    if (connection != nullptr) {
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE;
        if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
        request =
            HttpOpenRequestA(connection, "PUT", path.data(), nullptr, nullptr, nullptr, flags, 0);
        if (request != nullptr) SetTimeouts(request, timeoutMs);
    }
    if (request != nullptr &&
        HttpSendRequestA(request, kContentType, static_cast<DWORD>(sizeof kContentType - 1),
                         const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                           nullptr)) {
            result.httpStatus = status;
        } else {
            result.error = GetLastError();
        }
    } else {
        result.error = GetLastError();
        if (result.error == 0) result.error = ERROR_INTERNET_INTERNAL_ERROR;
    }
    CloseIfOpen(request);
    CloseIfOpen(connection);
    CloseIfOpen(session);
    return result;
}

DWORD WINAPI PushThread(void* parameter) {
    // The thread's own reference: the job stays alive until the thread is done with it.
    std::unique_ptr<std::shared_ptr<PushJob>> job(
        static_cast<std::shared_ptr<PushJob>*>(parameter));
    (*job)->result = RunPush((*job)->url, (*job)->body, (*job)->timeoutMs);
    return 0;
}

}  // namespace

PushResult PushMetricsText(const std::string& url, const std::string& body, uint32_t timeoutMs) {
    auto job = std::make_shared<PushJob>();
    job->url = url;
    job->body = body;
    job->timeoutMs = timeoutMs;
    auto* threadReference = new std::shared_ptr<PushJob>(job);
    HANDLE thread = CreateThread(nullptr, 0, PushThread, threadReference, 0, nullptr);
    if (thread == nullptr) {
        delete threadReference;
        PushResult failed;
        failed.error = GetLastError();
        return failed;
    }
    // The library's time-outs end most hangs; the wait ends those it does not apply to.
    const DWORD waited = WaitForSingleObject(thread, timeoutMs + kThreadGraceMs);
    CloseHandle(thread);
    if (waited != WAIT_OBJECT_0) {
        // Left to finish or to end with the process; its result no longer matters.
        PushResult timedOut;
        timedOut.error = ERROR_INTERNET_TIMEOUT;
        return timedOut;
    }
    return job->result;
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return std::string();
    return std::string(name, size < sizeof name ? size : sizeof name - 1);
}

}  // namespace vm
