#pragma once
#include <cstdint>

#include "core/platform/LocalFileApi.h"

namespace vm {

// Unbuffered file reads and worker threads through the kernel.
class WinLocalFileApi : public LocalFileApi {
public:
    bool OpenUnbuffered(const char* path, FileRef* file, uint32_t* error) override;
    uint64_t FileSize(FileRef file) override;
    bool ReadBlock(FileRef file, void* buffer, uint32_t size, uint32_t* count) override;
    void CloseFile(FileRef file) override;
    bool StartThread(void (*body)(void*), void* argument, ThreadRef* thread) override;
    bool WaitThread(ThreadRef thread, uint32_t milliseconds) override;
    void ReleaseThread(ThreadRef thread) override;
};

// Waits until every worker started so far has ended; false when the time ran out first.
// A stopped FTP worker closes its handle only once its last call returns.
[[nodiscard]] bool WaitForWorkers(uint32_t milliseconds);

}  // namespace vm
