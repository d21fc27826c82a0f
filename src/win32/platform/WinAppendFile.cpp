#include "win32/platform/WinAppendFile.h"

#include <vector>

namespace vm {
namespace {

// The lock's range: the last bytes a file offset can name, which no history reaches.
constexpr DWORD kLockOffsetLow = 0xFFFFFFF0u;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;
constexpr DWORD kLockBytes = 1;
constexpr DWORD kLockPollMs = 10;
constexpr size_t kReadPieceBytes = 1024 * 1024;

uint32_t LastErrorOr(uint32_t fallback) {
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

OVERLAPPED LockRange() {
    OVERLAPPED range = {};
    range.Offset = kLockOffsetLow;
    range.OffsetHigh = kLockOffsetHigh;
    return range;
}

}  // namespace

std::unique_ptr<WinAppendFile> WinAppendFile::Open(const std::string& path, uint32_t* error) {
    // Root under Wine may append to a 0444 file: the attribute is the user's word.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system places each write at the end.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = LastErrorOr(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    // A device or a pipe takes the lines and keeps none (Z:\dev\null, a FIFO): no history.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        *error = ERROR_BAD_FILE_TYPE;
        return nullptr;
    }
    // A polled try rather than a blocking lock: a writer that hangs must not hang us.
    for (DWORD waited = 0;; waited += kLockPollMs) {
        OVERLAPPED range = LockRange();
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kLockBytes, 0,
                       &range)) {
            break;
        }
        const DWORD lockError = GetLastError();
        if ((lockError != ERROR_LOCK_VIOLATION && lockError != ERROR_IO_PENDING) ||
            waited >= kAppendLockWaitMs) {
            CloseHandle(file);
            *error = lockError != 0 ? lockError : ERROR_LOCK_VIOLATION;
            return nullptr;
        }
        Sleep(kLockPollMs);
    }
    return std::unique_ptr<WinAppendFile>(new WinAppendFile(file, path));
}

WinAppendFile::~WinAppendFile() {
    OVERLAPPED range = LockRange();
    UnlockFileEx(file_, 0, kLockBytes, 0, &range);
    CloseHandle(file_);
}

bool WinAppendFile::LastByte(char* byte) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_, &size) || size.QuadPart <= 0) return false;
    OVERLAPPED at = {};
    const ULONGLONG last = static_cast<ULONGLONG>(size.QuadPart - 1);
    at.Offset = static_cast<DWORD>(last);
    at.OffsetHigh = static_cast<DWORD>(last >> 32);
    DWORD read = 0;
    return ReadFile(file_, byte, 1, &read, &at) && read == 1;
}

bool WinAppendFile::Append(const std::string& data, uint32_t* error) {
    if (data.size() > 0x7FFFFFFFu) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    // Both offsets all ones: "write at the end of the file" (kept explicit, since the
    // position of a handle that has read is not at the end).
    OVERLAPPED end = {};
    end.Offset = 0xFFFFFFFFu;
    end.OffsetHigh = 0xFFFFFFFFu;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(data.size());
    if (!WriteFile(file_, data.data(), size, &written, &end)) {
        *error = LastErrorOr(ERROR_WRITE_FAULT);
        return false;
    }
    if (written != size) {
        *error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

bool WinAppendFile::Size(uint64_t* size) {
    LARGE_INTEGER length = {};
    if (!GetFileSizeEx(file_, &length) || length.QuadPart < 0) return false;
    *size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

bool WinAppendFile::CutBackTo(uint64_t size) {
    // The append-only handle cannot set the end of the file: a second handle does, while
    // our lock still keeps the other appenders out.
    HANDLE writer = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(size);
    const bool cut = SetFilePointerEx(writer, at, nullptr, FILE_BEGIN) && SetEndOfFile(writer);
    CloseHandle(writer);
    return cut;
}

bool ReadFileInPieces(const std::string& path, uint64_t maxBytes,
                      const std::function<void(const char*, size_t)>& reader, uint32_t* error) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = LastErrorOr(ERROR_FILE_NOT_FOUND);
        return false;
    }
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        *error = ERROR_BAD_FILE_TYPE;
        return false;
    }
    if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        CloseHandle(file);
        *error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    std::vector<char> piece(kReadPieceBytes);
    bool ok = true;
    uint64_t total = 0;
    while (true) {
        DWORD read = 0;
        if (!ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr)) {
            *error = LastErrorOr(ERROR_READ_FAULT);
            ok = false;
            break;
        }
        if (read == 0) break;
        // A file that grows past the bound while it is read is cut there, as if torn.
        total += read;
        if (total > maxBytes) {
            *error = ERROR_FILE_TOO_LARGE;
            ok = false;
            break;
        }
        reader(piece.data(), read);
    }
    CloseHandle(file);
    return ok;
}

}  // namespace vm
