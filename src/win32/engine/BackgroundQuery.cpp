#include "win32/engine/BackgroundQuery.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace vm {
namespace {

struct QueryJob {
    HINTERNET request;
    uint32_t context;
    CompletionReport report;
    DWORD count = 0;      // the library may write it until the handle closes
    bool inCall = true;   // the thread still uses the job
    bool closed = false;  // the handle closed meanwhile: the thread frees the job
};

// Jobs whose memory the library may still use: until their handle closes.
std::mutex gJobsMutex;
std::vector<QueryJob*> gJobs;

void Forget(QueryJob* job) {
    gJobs.erase(std::remove(gJobs.begin(), gJobs.end(), job), gJobs.end());
    delete job;
}

void RunQuery(QueryJob* job) {
    const BOOL answered = InternetQueryDataAvailable(job->request, &job->count, 0, 0);
    const DWORD error = answered ? 0 : GetLastError();
    std::unique_lock<std::mutex> lock(gJobsMutex);
    if (!answered && error == ERROR_IO_PENDING) {
        job->inCall = false;
        if (job->closed) Forget(job);
        return;
    }
    const QueryJob done = *job;
    Forget(job);
    lock.unlock();
    if (answered) {
        done.report(done.context, done.request, 1, done.count);
    } else {
        done.report(done.context, done.request, 0,
                    error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR);
    }
}

// Threads that run the queries, kept while there is work: on a fast FTP link a query runs
// for every batch of data, and a thread for each would cost more than the query. A query
// may wait as long as its server is silent, so a new thread starts whenever none is idle.
class QueryThreads {
public:
    // False when no thread could take the job (it is then not queued).
    bool Run(QueryJob* job) {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(job);
        if (waiting_.size() <= idle_) {
            ready_.notify_one();
            return true;
        }
        HANDLE thread = CreateThread(nullptr, 0, &QueryThreads::Start, this, 0, nullptr);
        if (thread == nullptr) {
            waiting_.pop_back();
            return false;
        }
        CloseHandle(thread);
        return true;
    }

private:
    static constexpr auto kIdleLife = std::chrono::seconds(20);

    static DWORD WINAPI Start(void* self) {
        static_cast<QueryThreads*>(self)->Serve();
        return 0;
    }

    void Serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (waiting_.empty()) {
                ++idle_;
                const bool woken =
                    ready_.wait_for(lock, kIdleLife, [this] { return !waiting_.empty(); });
                --idle_;
                if (!woken) return;
            }
            QueryJob* job = waiting_.front();
            waiting_.pop_front();
            lock.unlock();
            RunQuery(job);
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<QueryJob*> waiting_;
    size_t idle_ = 0;
};

}  // namespace

void QueryDataAvailableInBackground(HINTERNET request, uint32_t context, CompletionReport report) {
    auto* job = new QueryJob{request, context, report};
    {
        std::lock_guard<std::mutex> lock(gJobsMutex);
        gJobs.push_back(job);
    }
    // Never destroyed: its threads may still be waiting in a query when the process ends.
    static QueryThreads* threads = new QueryThreads();
    if (threads->Run(job)) return;
    const DWORD error = GetLastError();
    {
        std::lock_guard<std::mutex> lock(gJobsMutex);
        Forget(job);
    }
    report(context, request, 0, error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY);
}

void ReleaseBackgroundQueries(HINTERNET request) {
    std::lock_guard<std::mutex> lock(gJobsMutex);
    std::vector<QueryJob*> done;
    for (QueryJob* job : gJobs) {
        if (job->request != request) continue;
        if (job->inCall) {
            job->closed = true;
        } else {
            done.push_back(job);
        }
    }
    for (QueryJob* job : done) Forget(job);
}

}  // namespace vm
