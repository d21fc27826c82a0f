#include "win32/engine/WinLocalFileApi.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vm {
namespace {

struct ThreadStart {
    void (*body)(void*);
    void* argument;
};

// Workers still running, for the wait before the process ends.
std::mutex gWorkersMutex;
std::condition_variable gWorkerEnded;
size_t gRunningWorkers = 0;

DWORD WINAPI WorkerThreadProc(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.body(start.argument);
    {
        std::lock_guard<std::mutex> lock(gWorkersMutex);
        --gRunningWorkers;
    }
    gWorkerEnded.notify_all();
    return 0;
}

HANDLE H(uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool WinLocalFileApi::OpenUnbuffered(const char* path, FileRef* file, uint32_t* error) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    *file = reinterpret_cast<FileRef>(h);
    return true;
}

uint64_t WinLocalFileApi::FileSize(FileRef file) {
    DWORD high = 0;
    const DWORD low = GetFileSize(H(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (static_cast<uint64_t>(high) << 32) | low;
}

bool WinLocalFileApi::ReadBlock(FileRef file, void* buffer, uint32_t size, uint32_t* count) {
    DWORD read = 0;
    const BOOL ok = ::ReadFile(H(file), buffer, size, &read, nullptr);
    *count = read;
    return ok != FALSE;
}

void WinLocalFileApi::CloseFile(FileRef file) { ::CloseHandle(H(file)); }

bool WinLocalFileApi::StartThread(void (*body)(void*), void* argument, ThreadRef* thread) {
    auto* start = new ThreadStart{body, argument};
    {
        std::lock_guard<std::mutex> lock(gWorkersMutex);
        ++gRunningWorkers;
    }
    HANDLE h = CreateThread(nullptr, 0, &WorkerThreadProc, start, 0, nullptr);
    if (h == nullptr) {
        delete start;
        std::lock_guard<std::mutex> lock(gWorkersMutex);
        --gRunningWorkers;
        return false;
    }
    *thread = reinterpret_cast<ThreadRef>(h);
    return true;
}

bool WinLocalFileApi::WaitThread(ThreadRef thread, uint32_t milliseconds) {
    return WaitForSingleObject(H(thread), milliseconds) == WAIT_OBJECT_0;
}

void WinLocalFileApi::ReleaseThread(ThreadRef thread) { ::CloseHandle(H(thread)); }

bool WaitForWorkers(uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(gWorkersMutex);
    return gWorkerEnded.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                 [] { return gRunningWorkers == 0; });
}

}  // namespace vm
