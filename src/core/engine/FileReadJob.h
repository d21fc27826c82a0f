#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/platform/Clock.h"
#include "core/platform/InternetLibrary.h"
#include "core/platform/LocalFileApi.h"

namespace vm {

constexpr size_t kMaxLocalPath = 259;
constexpr uint32_t kFileBlockSize = 65536;
// Unbuffered reads need a buffer aligned to the sector size; no device has larger ones.
constexpr size_t kSectorAlignment = 4096;
constexpr uint32_t kWorkerStopWaitMs = 1500;
constexpr uint32_t kPostRetries = 1000;
constexpr uint32_t kPostRetryMs = 10;
// Progress of a local read reaches the window at most this often: a post per block would
// fill the queue at disk speed, and posted messages are taken before the timer, paint and
// input, so a fast source would freeze the window and its time limit.
constexpr uint32_t kFileProgressMs = 100;

// The local-file test's worker: reads the file in blocks past the file cache and posts
// the events of a download; its count is read by the window whenever it likes, and
// progress is posted only now and then. It shares this record with its transfer and owns the file;
// the record lives until both the transfer and the worker are done with it, so a worker
// still blocked on a slow share never touches freed memory, and its late events carry a
// serial that is no longer live.
struct FileReadJob {
    FileReadJob(InternetLibrary& poster, LocalFileApi& files) : poster(poster), files(files) {}

    InternetLibrary& poster;
    LocalFileApi& files;
    Clock* clock = nullptr;  // stamps the moments below as they happen
    uintptr_t window = 0;
    uint32_t message = 0;
    uint32_t flags = 0;
    uint32_t serial = 0;
    std::string path;
    // The worker ends the read by itself once it has counted this many bytes (the size
    // limit), as if the file ended there: waiting for the window to stop it would read on
    // at disk speed meanwhile.
    uint64_t stopAtBytes = UINT64_MAX;

    std::atomic<bool> stopped{false};
    std::atomic<bool> fileOpen{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> ended{false};
    std::atomic<uint64_t> bytesRead{0};
    std::atomic<uint64_t> contentLength{0};
    std::atomic<uint32_t> error{0};
    // When the file was opened and when data was last counted; the events that report
    // them may be handled much later.
    std::atomic<uint32_t> acceptedTick{0};
    std::atomic<FileTime> acceptedTime{0};
    std::atomic<uint32_t> dataTick{0};

    void Run();
    void Post(uint32_t code, uint32_t errorCode = 0);
};

// The thread body: argument is a heap-allocated std::shared_ptr<FileReadJob>, which
// the thread deletes when it ends.
void RunFileReadJob(void* argument);

}  // namespace vm
