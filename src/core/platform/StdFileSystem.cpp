#include <cerrno>
#include <cstdio>

#include "core/platform/FileSystem.h"

namespace vm {
namespace {

uint32_t ErrnoToError(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
            return kErrorFileNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kErrorAccessDenied;
        case ENOSPC:
            return kErrorDiskFull;
        default:
            return kErrorWriteFault;
    }
}

class StdOutputFile : public OutputFile {
public:
    explicit StdOutputFile(std::FILE* file) : file_(file) {}
    ~StdOutputFile() override { Close(); }

    bool Write(const char* data, size_t size) override {
        if (error_ != 0) return false;
        if (file_ == nullptr) return Fail(kErrorWriteFault);
        if (size > 0 && std::fwrite(data, 1, size, file_) != size) return Fail(ErrnoToError(errno));
        return true;
    }
    bool Close() override {
        if (file_ != nullptr) {
            if (std::fclose(file_) != 0 && error_ == 0) error_ = ErrnoToError(errno);
            file_ = nullptr;
        }
        return error_ == 0;
    }
    uint32_t Error() const override { return error_; }

private:
    bool Fail(uint32_t code) {
        if (error_ == 0) error_ = code;
        return false;
    }
    std::FILE* file_;
    uint32_t error_ = 0;
};

}  // namespace

bool StdFileSystem::ReadWhole(const std::string& path, size_t maxBytes, std::string* content,
                              uint32_t* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = ErrnoToError(errno);
        return false;
    }
    content->clear();
    char block[65536];
    size_t got = 0;
    bool ok = true;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        if (content->size() + got > maxBytes) {
            *error = kErrorFileTooLarge;
            ok = false;
            break;
        }
        content->append(block, got);
    }
    if (ok && std::ferror(file)) {
        *error = kErrorReadFault;
        ok = false;
    }
    std::fclose(file);
    return ok;
}

std::unique_ptr<OutputFile> StdFileSystem::CreateForWriting(const std::string& path,
                                                            uint32_t* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = ErrnoToError(errno);
        return nullptr;
    }
    return std::make_unique<StdOutputFile>(file);
}

bool StdFileSystem::Exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

bool StdFileSystem::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool StdFileSystem::MoveOver(const std::string& source, const std::string& target,
                             uint32_t* error) {
    if (std::rename(source.c_str(), target.c_str()) == 0) return true;
    // The Windows C library does not rename over an existing file: this file system is for
    // tests and tools, where a remove first is good enough.
    if (Exists(target) && std::remove(target.c_str()) == 0 &&
        std::rename(source.c_str(), target.c_str()) == 0) {
        return true;
    }
    *error = ErrnoToError(errno);
    return false;
}

}  // namespace vm
