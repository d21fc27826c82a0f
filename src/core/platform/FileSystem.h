#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vm {

// A file being written. Every failure keeps the platform's error code; once a write has
// failed the file stays failed, so a writer may check once at the end.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(const char* data, size_t size) = 0;
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Flushes and closes; false when this or any earlier write failed.
    virtual bool Close() = 0;
    // The first error met (0 = none).
    virtual uint32_t Error() const = 0;
    // Asks the platform to put the written data on the disk before the file is closed,
    // for a file that is about to replace another; false when that failed.
    virtual bool FlushToDisk() { return Error() == 0; }
};

// The file operations core needs. Paths are 8-bit text in the system code page.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Reads a whole file of at most maxBytes; false with the error code otherwise
    // (a larger file fails with kErrorFileTooLarge).
    [[nodiscard]] virtual bool ReadWhole(const std::string& path, size_t maxBytes,
                                         std::string* content, uint32_t* error) = 0;
    // Creates the file anew (an existing one is truncated), shared for reading.
    virtual std::unique_ptr<OutputFile> CreateForWriting(const std::string& path,
                                                         uint32_t* error) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Puts the file source in the place of target (replacing it) in one step where the
    // platform can, so that target is either the old file or the new one, whole. False
    // with the error code when nothing was moved. The fallback copies and removes.
    [[nodiscard]] virtual bool MoveOver(const std::string& source, const std::string& target,
                                        uint32_t* error);
    // True when both names reach one existing file (other spellings, short names, links).
    virtual bool SameFile(const std::string& a, const std::string& b) {
        (void)a;
        (void)b;
        return false;
    }
    // Where a replacing write of path must land so the file stays what it is: the file a
    // symbolic link points to, else path itself. False with the error code when the file
    // must not be replaced at all (it is read-only).
    [[nodiscard]] virtual bool ReplacementTarget(const std::string& path, std::string* target,
                                                 uint32_t* error) {
        (void)error;
        *target = path;
        return true;
    }
};

// Error codes core uses where the platform has no code of its own; values as Windows has them.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorWriteFault = 29;
constexpr uint32_t kErrorReadFault = 30;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorFilenameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
constexpr uint32_t kErrorFileTooLarge = 223;     // ERROR_FILE_TOO_LARGE

// Plain standard-library files: for the native build, tests and tools.
class StdFileSystem : public FileSystem {
public:
    [[nodiscard]] bool ReadWhole(const std::string& path, size_t maxBytes, std::string* content,
                                 uint32_t* error) override;
    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path, uint32_t* error) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    [[nodiscard]] bool MoveOver(const std::string& source, const std::string& target,
                                uint32_t* error) override;
};

}  // namespace vm
