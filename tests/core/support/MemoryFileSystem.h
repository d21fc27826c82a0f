#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/platform/FileSystem.h"

namespace vm::test {

// Files in memory; a write that would pass diskBytesLeft fails like a full disk.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    size_t diskBytesLeft = static_cast<size_t>(-1);
    uint32_t createError = 0;  // nonzero: CreateForWriting fails with it

    bool ReadWhole(const std::string& path, size_t maxBytes, std::string* content,
                   uint32_t* error) override {
        const auto it = files.find(path);
        if (it == files.end()) {
            *error = kErrorFileNotFound;
            return false;
        }
        if (it->second.size() > maxBytes) {
            *error = kErrorFileTooLarge;
            return false;
        }
        *content = it->second;
        return true;
    }

    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path,
                                                 uint32_t* error) override {
        if (createError != 0) {
            *error = createError;
            return nullptr;
        }
        files[path].clear();
        return std::make_unique<File>(this, path);
    }

    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    bool Remove(const std::string& path) override { return files.erase(path) != 0; }
    bool MoveOver(const std::string& source, const std::string& target, uint32_t* error) override {
        const auto it = files.find(source);
        if (moveError != 0 || it == files.end()) {
            *error = moveError != 0 ? moveError : kErrorFileNotFound;
            return false;
        }
        files[target] = std::move(it->second);
        files.erase(source);
        return true;
    }
    uint32_t moveError = 0;  // nonzero: MoveOver fails with it

private:
    class File : public OutputFile {
    public:
        File(MemoryFileSystem* fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        bool Write(const char* data, size_t size) override {
            if (error_ != 0) return false;
            if (size > fs_->diskBytesLeft) {
                fs_->files[path_].append(data, fs_->diskBytesLeft);
                fs_->diskBytesLeft = 0;
                error_ = kErrorDiskFull;
                return false;
            }
            fs_->diskBytesLeft -= size;
            fs_->files[path_].append(data, size);
            return true;
        }
        bool Close() override { return error_ == 0; }
        uint32_t Error() const override { return error_; }

    private:
        MemoryFileSystem* fs_;
        std::string path_;
        uint32_t error_ = 0;
    };
};

}  // namespace vm::test
