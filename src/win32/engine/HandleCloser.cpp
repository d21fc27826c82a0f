#include "win32/engine/HandleCloser.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace vm {
namespace {

class HandleCloser {
  public:
    void Close(HINTERNET handle) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!started_) {
                HANDLE thread = CreateThread(nullptr, 0, &HandleCloser::Start, this, 0, nullptr);
                if (thread == nullptr) {
                    InternetCloseHandle(handle);  // no thread: close here rather than never
                    return;
                }
                CloseHandle(thread);
                started_ = true;
            }
            queue_.push_back(handle);
        }
        ready_.notify_one();
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
            }
            InternetCloseHandle(handle);
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<HINTERNET> queue_;
    bool started_ = false;
};

}  // namespace

void CloseHandleInBackground(HINTERNET handle) {
    // Never destroyed: its thread may still be closing a handle when the process ends.
    static HandleCloser* closer = new HandleCloser();
    closer->Close(handle);
}

}  // namespace vm
