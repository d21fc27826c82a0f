#pragma once
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/LocalFileApi.h"

namespace vm::test {

// Files in memory and real worker threads. A read can be held at a gate to play a slow
// network share; every file and thread use is counted so that double closes show.
class FakeLocalFiles : public LocalFileApi {
public:
    std::map<std::string, uint64_t> sizes;  // path -> size
    uint32_t failReadAfter = 0;             // a read error after this many reads (0: none)
    bool threadStartFails = false;

    ~FakeLocalFiles() override {
        OpenGate();
        for (auto& t : threads_) {
            if (t->thread.joinable()) t->thread.join();
        }
    }

    bool OpenUnbuffered(const char* path, FileRef* file, uint32_t* error) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = sizes.find(path);
        if (it == sizes.end()) {
            *error = 2;
            return false;
        }
        files_.push_back({it->second, 0, 0, 0});
        *file = files_.size();
        return true;
    }
    uint64_t FileSize(FileRef file) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return files_[file - 1].size;
    }
    bool ReadBlock(FileRef file, void* buffer, uint32_t size, uint32_t* count) override {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            const uint32_t index = ++readsStarted_;
            changed_.notify_all();
            changed_.wait(lock, [&] { return !gateClosed_ || index < holdFromRead_; });
            File& f = files_[file - 1];
            if (f.closes != 0) return false;  // a read on a closed file
            lastBufferAddress = reinterpret_cast<uintptr_t>(buffer);
            ++f.reads;
            if (failReadAfter != 0 && f.reads > failReadAfter) return false;
            const uint64_t left = f.size - f.position;
            *count = static_cast<uint32_t>(left < size ? left : size);
            f.position += *count;
        }
        return true;
    }
    void CloseFile(FileRef file) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++files_[file - 1].closes;
    }

    bool StartThread(void (*body)(void*), void* argument, ThreadRef* thread) override {
        if (threadStartFails) return false;
        auto t = std::make_unique<Worker>();
        Worker* w = t.get();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            threads_.push_back(std::move(t));
            *thread = threads_.size();
        }
        w->thread = std::thread([this, w, body, argument] {
            body(argument);
            std::lock_guard<std::mutex> lock(mutex_);
            w->ended = true;
            changed_.notify_all();
        });
        return true;
    }
    bool WaitThread(ThreadRef thread, uint32_t ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        Worker& w = *threads_[thread - 1];
        ++w.waits;
        if (w.releases != 0) ++misuse;  // waiting on a released handle
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return w.ended; });
    }
    void ReleaseThread(ThreadRef thread) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++threads_[thread - 1]->releases;
    }

    // Test side.
    // Reads from the given one on (counted from 1) block until the gate opens.
    void CloseGate(uint32_t fromRead = 1) {
        std::lock_guard<std::mutex> lock(mutex_);
        gateClosed_ = true;
        holdFromRead_ = fromRead;
    }
    void OpenGate() {
        std::lock_guard<std::mutex> lock(mutex_);
        gateClosed_ = false;
        changed_.notify_all();
    }
    bool WaitForReads(uint32_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return readsStarted_ >= n; });
    }
    bool WaitForWorkersEnded() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] {
            for (auto& t : threads_) {
                if (!t->ended) return false;
            }
            return true;
        });
    }
    int Closes(FileRef file) {
        std::lock_guard<std::mutex> lock(mutex_);
        return files_[file - 1].closes;
    }
    int Releases(ThreadRef thread) {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_[thread - 1]->releases;
    }
    size_t FileCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return files_.size();
    }
    int misuse = 0;
    uintptr_t lastBufferAddress = 0;

private:
    struct File {
        uint64_t size;
        uint64_t position;
        int closes;
        uint32_t reads;
    };
    struct Worker {
        std::thread thread;
        bool ended = false;
        int waits = 0;
        int releases = 0;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    bool gateClosed_ = false;
    uint32_t holdFromRead_ = 1;
    uint32_t readsStarted_ = 0;
    std::vector<File> files_;
    std::vector<std::unique_ptr<Worker>> threads_;
};

}  // namespace vm::test
