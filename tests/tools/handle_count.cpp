// Samples the handle count of the program's process for benchmarks of long runs
// (bench/connections-end-bench.sh): waits up to 20 s for the main window, then prints
// "MS COUNT" every MS milliseconds until the window has gone. The count is the process's
// entries in the system's handle list: Wine answers GetProcessHandleCount with 0. Only one
// program may run in the prefix: the window is found by its class.
// Usage: handle_count.exe MS
// Exit status 0 when the window was found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr size_t kMaxListBytes = 256u << 20;

struct HandleEntry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

// The process's handles; -1 when the list could not be read.
long HandlesOf(DWORD processId, QuerySystemInformation query, std::vector<char>& buffer) {
    LONG status = 0;
    ULONG length = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &length)) ==
           kStatusInfoLengthMismatch) {
        if (buffer.size() >= kMaxListBytes) return -1;
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return -1;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < list->count; ++i) {
        if (list->entries[i].processId == processId) ++count;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const DWORD ms = std::strtoul(argv[1], nullptr, 10);
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return 1;
    HWND window = nullptr;
    for (int i = 0; i < 200 && window == nullptr; ++i) {
        window = FindWindowA("Velocimark", nullptr);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    std::vector<char> buffer(1u << 20);
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        std::printf("%lu %ld\n", GetTickCount() - start, HandlesOf(processId, query, buffer));
        std::fflush(stdout);
        Sleep(ms);
    }
    return 0;
}
