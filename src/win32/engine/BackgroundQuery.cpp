#include "engine/BackgroundQuery.h"

#include <algorithm>
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

DWORD WINAPI RunQuery(void* parameter) {
    auto* job = static_cast<QueryJob*>(parameter);
    const BOOL answered = InternetQueryDataAvailable(job->request, &job->count, 0, 0);
    const DWORD error = answered ? 0 : GetLastError();
    std::unique_lock<std::mutex> lock(gJobsMutex);
    if (!answered && error == ERROR_IO_PENDING) {
        job->inCall = false;
        if (job->closed)
            Forget(job);
        return 0;
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
    return 0;
}

}  // namespace

void QueryDataAvailableInBackground(HINTERNET request, uint32_t context, CompletionReport report) {
    auto* job = new QueryJob{request, context, report};
    {
        std::lock_guard<std::mutex> lock(gJobsMutex);
        gJobs.push_back(job);
    }
    HANDLE thread = CreateThread(nullptr, 0, &RunQuery, job, 0, nullptr);
    if (thread != nullptr) {
        CloseHandle(thread);
        return;
    }
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
        if (job->request != request)
            continue;
        if (job->inCall) {
            job->closed = true;
        } else {
            done.push_back(job);
        }
    }
    for (QueryJob* job : done)
        Forget(job);
}

}  // namespace vm
