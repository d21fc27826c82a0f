// The platform's cost of one attempt after another through WinINet in asynchronous mode:
// open a URL, wait for the completion, read what an answer brings to its end, close
// every handle (the one a failed open announced too). No window, no events, no list. The
// program's per-item cost in bench/scale-run.sh is measured against it.
// With FIRST_URL, one attempt at it comes first (a successful download, say). URL may be
// @FILE: a list of URLs, one a line, taken in turn (the list the program was given).
// Prints "attempts=N ms_per=W first_ms_per=X last_ms_per=Y grow_bytes_per=Z": the time per
// attempt over the whole run, the first and the last tenth, and the growth of the working
// set per attempt from the end of the first tenth to the end.
// Usage: minimal-attempt-loop.exe COUNT URL|@FILE [FIRST_URL]
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

HANDLE gCompleted = nullptr;
DWORD_PTR gResult = 0;
DWORD gError = 0;
HINTERNET gAnnounced = nullptr;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID info, DWORD length) {
    // The new handle: a bare handle for HTTP requests under Wine, else an async result.
    if (status == INTERNET_STATUS_HANDLE_CREATED && info != nullptr) {
        if (length == sizeof(HINTERNET)) {
            gAnnounced = *static_cast<const HINTERNET*>(info);
        } else if (length >= sizeof(INTERNET_ASYNC_RESULT)) {
            gAnnounced = reinterpret_cast<HINTERNET>(
                static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult);
        }
        return;
    }
    if (status != INTERNET_STATUS_REQUEST_COMPLETE || info == nullptr ||
        length < sizeof(INTERNET_ASYNC_RESULT)) {
        return;
    }
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
    gResult = result->dwResult;
    gError = result->dwError;
    SetEvent(gCompleted);
}

bool AwaitCompletion() {
    WaitForSingleObject(gCompleted, INFINITE);
    return gResult != 0 || gError == 0;
}

// One attempt: the open, then the answer read to its end.
void Attempt(HINTERNET root, const char* url, std::vector<unsigned char>& buffer) {
    gAnnounced = nullptr;
    HINTERNET request =
        InternetOpenUrlA(root, url, "Connection: Close", static_cast<DWORD>(-1), 0xA4480300u, 1);
    if (request == nullptr) {
        if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion()) {
            if (gAnnounced != nullptr) InternetCloseHandle(gAnnounced);  // left to us
            return;
        }
        request = reinterpret_cast<HINTERNET>(gResult);
    }
    for (;;) {
        DWORD count = 0;
        if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &count)) {
            if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion()) break;
            count = gError;
        }
        if (count == 0) break;
    }
    InternetCloseHandle(request);
}

// The URLs to take in turn: the lines of @FILE, or the one URL.
std::vector<std::string> UrlsOf(const char* argument) {
    if (argument[0] != '@') return {argument};
    std::vector<std::string> urls;
    std::ifstream file(argument + 1);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) urls.push_back(line);
    }
    return urls;
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc >= 3 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (count < 10) {
        std::fprintf(stderr, "usage: minimal-attempt-loop COUNT(>=10) URL|@FILE [FIRST_URL]\n");
        return 2;
    }
    const std::vector<std::string> urls = UrlsOf(argv[2]);
    if (urls.empty()) {
        std::fprintf(stderr, "no URL in %s\n", argv[2]);
        return 2;
    }
    gCompleted = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HINTERNET root =
        InternetOpenA("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
                      INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
    InternetSetStatusCallback(root, &OnStatus);
    std::vector<unsigned char> buffer(256 * 1024);
    if (argc >= 4) Attempt(root, argv[3], buffer);
    const long tenth = count / 10;
    LARGE_INTEGER frequency, start, firstEnd, lastStart, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    firstEnd = lastStart = start;
    SIZE_T setAfterFirst = 0;
    for (long i = 0; i < count; ++i) {
        if (i == count - tenth) QueryPerformanceCounter(&lastStart);
        Attempt(root, urls[static_cast<size_t>(i) % urls.size()].c_str(), buffer);
        if (i == tenth - 1) {
            QueryPerformanceCounter(&firstEnd);
            setAfterFirst = WorkingSet();
        }
    }
    QueryPerformanceCounter(&end);
    const SIZE_T setAtEnd = WorkingSet();
    InternetCloseHandle(root);
    const double msPerTick = 1000.0 / static_cast<double>(frequency.QuadPart);
    std::printf("attempts=%ld ms_per=%.3f first_ms_per=%.3f last_ms_per=%.3f grow_bytes_per=%.0f\n",
                count, static_cast<double>(end.QuadPart - start.QuadPart) * msPerTick / count,
                static_cast<double>(firstEnd.QuadPart - start.QuadPart) * msPerTick / tenth,
                static_cast<double>(end.QuadPart - lastStart.QuadPart) * msPerTick / tenth,
                (static_cast<double>(setAtEnd) - static_cast<double>(setAfterFirst)) /
                    static_cast<double>(count - tenth));
    return 0;
}
