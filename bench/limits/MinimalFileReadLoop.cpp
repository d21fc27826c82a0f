// The platform's limit for the local-file test: the file read as the program reads it
// (past the file cache where the system allows, 64 KiB blocks into an aligned buffer), on
// one thread, nothing else. Prints "result=finished bytes=N ms=N cpu_s=S": ms from the
// open to the end, CPU time of the whole process. A source that never ends (\dev\zero)
// is read up to LIMIT_BYTES.
// Usage: minimal-file-read-loop.exe PATH [LIMIT_BYTES]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ProcessCpu.h"

namespace {

constexpr DWORD kBlock = 65536;
constexpr size_t kAlignment = 4096;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: minimal-file-read-loop PATH [LIMIT_BYTES]\n");
        return 2;
    }
    const unsigned long long limit = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : ~0ULL;
    const double cpuBefore = ProcessCpuSeconds();
    const DWORD start = GetTickCount();
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("result=failed error=%lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::vector<unsigned char> storage(kBlock + kAlignment);
    const auto base = reinterpret_cast<uintptr_t>(storage.data());
    unsigned char* block = storage.data() + ((kAlignment - base % kAlignment) % kAlignment);
    unsigned long long bytes = 0;
    DWORD count = 0;
    while (bytes < limit && ReadFile(file, block, kBlock, &count, nullptr) && count != 0)
        bytes += count;
    CloseHandle(file);
    const DWORD ms = GetTickCount() - start;
    std::printf("result=finished bytes=%llu ms=%lu cpu_s=%.3f\n", bytes,
                static_cast<unsigned long>(ms), ProcessCpuSeconds() - cpuBefore);
    return 0;
}
