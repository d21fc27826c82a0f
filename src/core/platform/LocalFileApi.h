#pragma once
#include <cstdint>

namespace vm {

using FileRef = uintptr_t;    // 0 = none
using ThreadRef = uintptr_t;  // 0 = none

// Unbuffered file reads and the worker thread of the local-file test.
class LocalFileApi {
public:
    virtual ~LocalFileApi() = default;

    // Opens for reading past the system's file cache, sharing read and write. Reads then
    // need a sector-aligned buffer and whole sectors.
    [[nodiscard]] virtual bool OpenUnbuffered(const char* path, FileRef* file, uint32_t* error) = 0;
    virtual uint64_t FileSize(FileRef file) = 0;
    [[nodiscard]] virtual bool ReadBlock(FileRef file, void* buffer, uint32_t size,
                                         uint32_t* count) = 0;
    virtual void CloseFile(FileRef file) = 0;

    // Runs body(argument) on a new thread.
    virtual bool StartThread(void (*body)(void*), void* argument, ThreadRef* thread) = 0;
    // True when the thread has ended within the time.
    virtual bool WaitThread(ThreadRef thread, uint32_t milliseconds) = 0;
    virtual void ReleaseThread(ThreadRef thread) = 0;
};

}  // namespace vm
