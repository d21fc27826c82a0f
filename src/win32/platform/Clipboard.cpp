#include "win32/platform/Clipboard.h"

#include <windows.h>

#include <cstring>

namespace vm {
namespace {

// Reads exactly size bytes; a file that shrinks underneath fails with ERROR_HANDLE_EOF.
uint32_t ReadWhole(HANDLE file, char* out, DWORD size) {
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file, out + done, size - done, &got, nullptr)) return GetLastError();
        if (got == 0) return ERROR_HANDLE_EOF;
        done += got;
    }
    return 0;
}

uint32_t FillClipboard(HANDLE file) {
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(file, &sizeHigh);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return GetLastError();
    // The block is file size + 1 bytes, so a file of 4 GiB or more cannot be held.
    if (sizeHigh != 0 || size == 0xFFFFFFFFu) return ERROR_NOT_ENOUGH_MEMORY;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size + 1);
    if (block == nullptr) return GetLastError();
    char* text = static_cast<char*>(GlobalLock(block));
    if (text == nullptr) {
        const uint32_t error = GetLastError();
        GlobalFree(block);
        return error;
    }
    const uint32_t error = ReadWhole(file, text, size);
    text[size] = '\0';
    GlobalUnlock(block);
    if (error != 0) {
        GlobalFree(block);
        return error;
    }
    if (SetClipboardData(CF_TEXT, block) == nullptr) {
        const uint32_t setError = GetLastError();
        GlobalFree(block);
        return setError != 0 ? setError : ERROR_INVALID_HANDLE;
    }
    return 0;  // the clipboard owns the block now
}

}  // namespace

uint32_t CopyFileToClipboard(const std::string& fileName) {
    EmptyClipboard();
    uint32_t error = 0;
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
    } else {
        error = FillClipboard(file);
        CloseHandle(file);
    }
    CloseClipboard();
    return error;
}

}  // namespace vm
