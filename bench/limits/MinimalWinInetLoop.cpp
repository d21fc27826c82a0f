// The platform's limit for a download through WinINet in asynchronous mode: the fewest
// calls that read a URL to its end, on one thread, no window, no events. The program's
// transfer is measured against it (bench/transfer-benchmark.sh).
//   http(s): reads of what has arrived (IRF_NO_WAIT, 1 MiB); when nothing has, the
//            availability query says whether the data has ended or completes when more
//            has come.
//   ftp:     the query, then a read of exactly the count it announced (Wine's FTP reads
//            wait for their whole block).
// The open flags are the program's. Prints "result=finished bytes=N ms=N cpu_s=S": ms
// from the completed open to the end, CPU time of the process up to the closed handles
// and the removed FTP cache copy.
// Usage: minimal-wininet-loop.exe URL
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "ProcessCpu.h"

namespace {

HANDLE gCompleted = nullptr;
DWORD_PTR gResult = 0;
DWORD gError = 0;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID info, DWORD length) {
    if (status != INTERNET_STATUS_REQUEST_COMPLETE || info == nullptr ||
        length < sizeof(INTERNET_ASYNC_RESULT)) {
        return;
    }
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
    gResult = result->dwResult;
    gError = result->dwError;
    SetEvent(gCompleted);
}

// Waits for the completion of a call that answered ERROR_IO_PENDING; false on failure.
bool AwaitCompletion() {
    WaitForSingleObject(gCompleted, INFINITE);
    return gResult != 0 || gError == 0;
}

// Bytes ready, waiting for them when the query goes pending; false on failure.
bool QueryAvailable(HINTERNET request, DWORD* available) {
    if (InternetQueryDataAvailable(request, available, 0, 0)) return true;
    if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion()) return false;
    *available = gError;  // a waiting query brings its count in the error field
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: minimal-wininet-loop URL\n");
        return 2;
    }
    const char* url = argv[1];
    const bool https = std::strncmp(url, "https:", 6) == 0;
    const bool ftp = std::strncmp(url, "ftp:", 4) == 0;
    // The program's flags: no cache, reload, no cookies, no dialogs; https ignores date
    // and name errors; ftp is passive.
    DWORD flags = 0xA4480300u;
    if (https) flags = 0xA4C83300u;
    if (ftp) flags = 0xAC480300u;

    gCompleted = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HINTERNET root =
        InternetOpenA("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
                      INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
    InternetSetStatusCallback(root, &OnStatus);
    const double cpuBefore = ProcessCpuSeconds();
    HINTERNET request =
        InternetOpenUrlA(root, url, "Connection: Close", static_cast<DWORD>(-1), flags, 1);
    if (request == nullptr) {
        if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion()) {
            std::printf("result=failed error=%lu\n", static_cast<unsigned long>(gError));
            return 1;
        }
        request = reinterpret_cast<HINTERNET>(gResult);
    }
    const DWORD start = GetTickCount();
    std::vector<unsigned char> buffer(1024 * 1024);
    unsigned long long bytes = 0;
    bool failed = false;
    for (;;) {
        DWORD count = 0;
        if (!ftp) {
            INTERNET_BUFFERSA buffers = {};
            buffers.dwStructSize = sizeof buffers;
            buffers.lpvBuffer = buffer.data();
            buffers.dwBufferLength = static_cast<DWORD>(buffer.size());
            if (InternetReadFileExA(request, &buffers, IRF_NO_WAIT, 0)) {
                count = buffers.dwBufferLength;
            } else if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion()) {
                failed = true;
                break;
            }
            if (count != 0) {
                bytes += count;
                continue;
            }
        }
        DWORD available = 0;
        if (!QueryAvailable(request, &available)) {
            failed = true;
            break;
        }
        if (available == 0) break;  // the data has ended
        if (!ftp) continue;         // arrived: read it without waiting
        const DWORD size =
            available < buffer.size() ? available : static_cast<DWORD>(buffer.size());
        if (!InternetReadFile(request, buffer.data(), size, &count)) {
            if (GetLastError() != ERROR_IO_PENDING || !AwaitCompletion()) {
                failed = true;
                break;
            }
            count = gError;
        }
        if (count == 0) break;
        bytes += count;
    }
    const DWORD ms = GetTickCount() - start;
    // Wine writes FTP downloads into the cache whatever the flags say: leave no copy.
    char cacheFile[MAX_PATH + 1] = {};
    DWORD nameSize = MAX_PATH;
    const bool hasCacheFile =
        InternetQueryOptionA(request, INTERNET_OPTION_DATAFILE_NAME, cacheFile, &nameSize) != FALSE;
    InternetCloseHandle(request);
    InternetCloseHandle(root);
    if (hasCacheFile) {
        for (int i = 0;
             i < 100 && !DeleteFileA(cacheFile) && GetLastError() == ERROR_SHARING_VIOLATION; ++i) {
            Sleep(20);
        }
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    std::printf("result=%s bytes=%llu ms=%lu cpu_s=%.3f\n", failed ? "failed" : "finished", bytes,
                static_cast<unsigned long>(ms), cpu);
    return failed ? 1 : 0;
}
