#include "win32/engine/HandleCloser.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace vm {
namespace {

// A cache file that is still open when its handle's close returns (a library thread
// still holds the download) is tried again this often, at most this many times.
constexpr DWORD kCacheFileRetryMs = 20;
constexpr int kCacheFileRetries = 100;

// The file Wine's library writes an FTP download into, although the open asked for no
// cache copy, and never enters in the cache index: only the handle knows its name.
// Empty when the handle has none (every other library, every http(s) request).
std::string CacheFileOf(HINTERNET handle) {
    char name[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (!InternetQueryOptionA(handle, INTERNET_OPTION_DATAFILE_NAME, name, &size))
        return std::string();
    name[size < MAX_PATH ? size : MAX_PATH] = '\0';
    return name;
}

void RemoveCacheFile(const std::string& path) {
    for (int i = 0; i < kCacheFileRetries; ++i) {
        if (DeleteFileA(path.c_str())) return;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            return;  // gone already, or not ours to remove
        Sleep(kCacheFileRetryMs);
    }
}

// Closes the handle and removes the copy of the download the library made for it.
void CloseAndRemoveCopy(HINTERNET handle) {
    const std::string cacheFile = CacheFileOf(handle);
    InternetCloseHandle(handle);
    if (!cacheFile.empty()) RemoveCacheFile(cacheFile);
}

class HandleCloser {
public:
    void Close(HINTERNET handle) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!started_) {
                HANDLE thread = CreateThread(nullptr, 0, &HandleCloser::Start, this, 0, nullptr);
                if (thread == nullptr) {
                    CloseAndRemoveCopy(handle);  // no thread: close here rather than never
                    return;
                }
                CloseHandle(thread);
                started_ = true;
            }
            queue_.push_back(handle);
        }
        ready_.notify_one();
    }

    bool WaitUntilIdle(uint32_t milliseconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        return idle_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return queue_.empty() && !closing_; });
    }

private:
    static DWORD WINAPI Start(void* self) {
        static_cast<HandleCloser*>(self)->Run();
        return 0;
    }

    void Run() {
        for (;;) {
            HINTERNET handle = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return !queue_.empty(); });
                handle = queue_.front();
                queue_.pop_front();
                closing_ = true;
            }
            CloseAndRemoveCopy(handle);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                closing_ = false;
            }
            idle_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable idle_;
    std::deque<HINTERNET> queue_;
    bool started_ = false;
    bool closing_ = false;
};

HandleCloser& Closer() {
    // Never destroyed: its thread may still be closing a handle when the process ends.
    static HandleCloser* closer = new HandleCloser();
    return *closer;
}

}  // namespace

void CloseHandleInBackground(HINTERNET handle) { Closer().Close(handle); }

void CloseHandleHere(HINTERNET handle) { CloseAndRemoveCopy(handle); }

bool WaitForBackgroundCloses(uint32_t milliseconds) { return Closer().WaitUntilIdle(milliseconds); }

}  // namespace vm
