#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/platform/AppendFile.h"

namespace vm {

// A file opened for appending only, created when missing, with an exclusive byte-range
// lock held until it is destroyed. The lock lies far past any real end of file, so it
// keeps out the other appenders (who ask for the same range and wait) but never a reader.
// The append-only handle puts every write at the end of the file, whatever another
// handle has done since.
class WinAppendFile : public AppendFile {
public:
    ~WinAppendFile() override;

    // Opens and locks; nullptr with the error code when the file cannot be opened for
    // appending, is no file on a disk (a device or a pipe: ERROR_BAD_FILE_TYPE) or the lock
    // cannot be had within the wait. A read-only file is refused (access denied) even where
    // the system would let its owner append to it.
    static std::unique_ptr<WinAppendFile> Open(const std::string& path, uint32_t* error);

    bool LastByte(char* byte) override;
    bool Append(const std::string& data, uint32_t* error) override;
    bool Size(uint64_t* size) override;
    bool CutBackTo(uint64_t size) override;

private:
    WinAppendFile(HANDLE file, const std::string& path) : file_(file), path_(path) {}

    HANDLE file_;
    std::string path_;
};

// Longest wait for another process's append to finish.
constexpr DWORD kAppendLockWaitMs = 10000;

// Reads a file from start to end in pieces handed to the reader, shared with writers (a
// history can grow while it is read). Only a file on a disk is read (a device such as
// /dev/zero or a pipe never ends: ERROR_BAD_FILE_TYPE), and at most maxBytes of it (a
// larger one fails with ERROR_FILE_TOO_LARGE before any piece). False with the error code
// when it cannot be read.
[[nodiscard]] bool ReadFileInPieces(const std::string& path, uint64_t maxBytes,
                                    const std::function<void(const char*, size_t)>& reader,
                                    uint32_t* error);

}  // namespace vm
