#include "engine/HandleCloser.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vm {
namespace {

class HandleCloser {
  public:
    void Close(HINTERNET handle) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(handle);
            if (!started_) {
                started_ = true;
                std::thread(&HandleCloser::Run, this).detach();
            }
        }
        ready_.notify_one();
    }

  private:
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
