#include "win32/platform/WinFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace vm {
namespace {

constexpr size_t kWriteBufferBytes = 64 * 1024;

class WinOutputFile : public OutputFile {
public:
    explicit WinOutputFile(HANDLE file) : file_(file) { buffer_.reserve(kWriteBufferBytes); }
    ~WinOutputFile() override { Close(); }

    bool Write(const char* data, size_t size) override {
        if (error_ != 0) return false;
        if (buffer_.size() + size > kWriteBufferBytes) {
            if (!Flush()) return false;
            if (size >= kWriteBufferBytes) return WriteThrough(data, size);
        }
        buffer_.insert(buffer_.end(), data, data + size);
        return true;
    }

    bool Close() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            Flush();
            if (!CloseHandle(file_) && error_ == 0) error_ = GetLastError();
            file_ = INVALID_HANDLE_VALUE;
        }
        return error_ == 0;
    }

    uint32_t Error() const override { return error_; }

    bool FlushToDisk() override {
        if (!Flush()) return false;
        if (!FlushFileBuffers(file_) && error_ == 0) error_ = GetLastError();
        return error_ == 0;
    }

private:
    bool Flush() {
        if (buffer_.empty() || error_ != 0) return error_ == 0;
        const bool ok = WriteThrough(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

    bool WriteThrough(const char* data, size_t size) {
        while (size > 0) {
            const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_, data, chunk, &written, nullptr) || written != chunk) {
                error_ = GetLastError();
                if (error_ == 0) error_ = ERROR_DISK_FULL;
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }

    HANDLE file_;
    std::vector<char> buffer_;
    uint32_t error_ = 0;
};

HANDLE OpenForQuery(const std::string& path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The name the system has for an open file, without the "\\?\" prefix; "" when the
// system cannot tell (before Vista) or the name would not fit a path.
std::string FinalPathOf(HANDLE file) {
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    if (finalPath == nullptr) return std::string();
    char name[MAX_PATH + 8] = {};
    const DWORD length = finalPath(file, name, sizeof name, 0);
    if (length == 0 || length >= sizeof name) return std::string();
    std::string text(name, length);
    if (text.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + text.substr(7);
    if (text.compare(0, 4, "\\\\?\\") == 0) text.erase(0, 4);
    return text.size() <= MAX_PATH - 1 ? text : std::string();
}

}  // namespace

bool WinFileSystem::SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION infoA = {};
    BY_HANDLE_FILE_INFORMATION infoB = {};
    HANDLE fileA = OpenForQuery(a);
    if (fileA == INVALID_HANDLE_VALUE) return false;
    const bool gotA = GetFileInformationByHandle(fileA, &infoA) != 0;
    CloseHandle(fileA);
    HANDLE fileB = gotA ? OpenForQuery(b) : INVALID_HANDLE_VALUE;
    if (fileB == INVALID_HANDLE_VALUE) return false;
    const bool gotB = GetFileInformationByHandle(fileB, &infoB) != 0;
    CloseHandle(fileB);
    return gotB && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool WinFileSystem::ReplacementTarget(const std::string& path, std::string* target,
                                      uint32_t* error) {
    *target = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // a new file: nothing to keep
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    HANDLE file = OpenForQuery(path);
    if (file == INVALID_HANDLE_VALUE) return true;
    const std::string final = FinalPathOf(file);
    CloseHandle(file);
    if (!final.empty()) *target = final;
    return true;
}

bool WinFileSystem::ReadWhole(const std::string& path, size_t maxBytes, std::string* content,
                              uint32_t* error) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    bool ok = true;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        *error = GetLastError();
        ok = false;
    } else if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        *error = kErrorFileTooLarge;
        ok = false;
    } else {
        content->assign(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (ok && done < content->size()) {
            DWORD got = 0;
            const DWORD want =
                static_cast<DWORD>(std::min<size_t>(content->size() - done, 1u << 24));
            if (!::ReadFile(file, &(*content)[done], want, &got, nullptr)) {
                *error = GetLastError();
                ok = false;
            } else if (got == 0) {
                content->resize(done);  // the file shrank while we read it
                break;
            }
            done += got;
        }
    }
    CloseHandle(file);
    return ok;
}

std::unique_ptr<OutputFile> WinFileSystem::CreateForWriting(const std::string& path,
                                                            uint32_t* error) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return nullptr;
    }
    return std::make_unique<WinOutputFile>(file);
}

bool WinFileSystem::Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WinFileSystem::Remove(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool WinFileSystem::MoveOver(const std::string& source, const std::string& target,
                             uint32_t* error) {
    if (MoveFileExA(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    *error = GetLastError();
    return false;
}

}  // namespace vm
