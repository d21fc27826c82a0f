#pragma once
#include "core/platform/FileSystem.h"

namespace vm {

// Files through the platform's handles: read shared for reading and writing, written
// anew and shared for reading. Writes are buffered; errors keep GetLastError's code.
class WinFileSystem : public FileSystem {
public:
    bool ReadWhole(const std::string& path, size_t maxBytes, std::string* content,
                   uint32_t* error) override;
    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path, uint32_t* error) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    // MoveFileExA: replaces the target in one step on the same volume.
    bool MoveOver(const std::string& source, const std::string& target, uint32_t* error) override;
    // Same volume serial number and file index.
    bool SameFile(const std::string& a, const std::string& b) override;
    // The file's final name (GetFinalPathNameByHandleA where the system has it; Wine
    // follows Unix symbolic links there); read-only files are refused.
    bool ReplacementTarget(const std::string& path, std::string* target, uint32_t* error) override;
};

}  // namespace vm
