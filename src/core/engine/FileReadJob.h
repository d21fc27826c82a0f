#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "core/engine/ReadJob.h"
#include "core/platform/LocalFileApi.h"

namespace vm {

constexpr size_t kMaxLocalPath = 259;
constexpr uint32_t kFileBlockSize = 65536;
// Unbuffered reads need a buffer aligned to the sector size; no device has larger ones.
constexpr size_t kSectorAlignment = 4096;

// The local-file test's worker: reads the file in blocks past the file cache and posts
// the events of a download. It owns the file.
struct FileReadJob : ReadJob {
    FileReadJob(std::shared_ptr<TransferRecord> record, LocalFileApi& files)
        : ReadJob(std::move(record)), files(files) {}

    LocalFileApi& files;
    std::string path;
    std::atomic<bool> fileOpen{false};

    void Run();
};

// The thread body: argument is a heap-allocated std::shared_ptr<FileReadJob>, which
// the thread deletes when it ends.
void RunFileReadJob(void* argument);

}  // namespace vm
