#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "core/diag/CrashReportText.h"
#include "win32/platform/OsVersion.h"
#include "win32/platform/TempFile.h"
#include "win32/window/CrashReport.h"

namespace vm {
namespace {

// The lookup resolves its functions at run time: the process-status set is missing on
// old systems and the tool-help set on old NT versions, and a crash report must never
// fail to load for want of either.

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

struct ToolHelp {
    bool usable = false;
    CreateSnapshotFn createSnapshot = nullptr;
    ModuleWalkFn moduleFirst = nullptr;
    ModuleWalkFn moduleNext = nullptr;
};

using EnumModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleFileNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);
using ModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
struct ModuleInfo {
    void* base;
    DWORD size;
    void* entry;
};
using ModuleInformationFn = BOOL(WINAPI*)(HANDLE, HMODULE, ModuleInfo*, DWORD);

struct ProcessStatus {
    bool usable = false;
    EnumModulesFn enumModules = nullptr;
    ModuleFileNameFn moduleFileName = nullptr;
    ModuleInformationFn moduleInformation = nullptr;
};

constexpr DWORD kMaxModules = 4096;
constexpr DWORD kToolHelpEntrySize = 548;  // MODULEENTRY32 of the ANSI functions

template <typename Fn>
Fn Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const ToolHelp& ToolHelpSet() {
    static ToolHelp set;
    if (set.usable) return set;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return set;
    set.createSnapshot = Resolve<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    set.moduleFirst = Resolve<ModuleWalkFn>(kernel, "Module32First");
    set.moduleNext = Resolve<ModuleWalkFn>(kernel, "Module32Next");
    const bool processWalk = Resolve<ProcessWalkFn>(kernel, "Process32First") != nullptr &&
                             Resolve<ProcessWalkFn>(kernel, "Process32Next") != nullptr;
    set.usable = set.createSnapshot != nullptr && set.moduleFirst != nullptr &&
                 set.moduleNext != nullptr && processWalk;
    return set;
}

const ProcessStatus& ProcessStatusSet() {
    static ProcessStatus set;
    if (set.usable) return set;
    HMODULE psapi = LoadLibraryA("psapi.dll");
    if (psapi == nullptr) return set;
    set.enumModules = Resolve<EnumModulesFn>(psapi, "EnumProcessModules");
    set.moduleFileName = Resolve<ModuleFileNameFn>(psapi, "GetModuleFileNameExA");
    set.moduleInformation = Resolve<ModuleInformationFn>(psapi, "GetModuleInformation");
    const bool rest = Resolve<ModuleBaseNameFn>(psapi, "GetModuleBaseNameA") != nullptr &&
                      Resolve<EnumProcessesFn>(psapi, "EnumProcesses") != nullptr;
    set.usable = set.enumModules != nullptr && set.moduleFileName != nullptr &&
                 set.moduleInformation != nullptr && rest;
    if (!set.usable) FreeLibrary(psapi);
    return set;
}

bool Contains(uintptr_t base, uintptr_t size, DWORD address) {
    return address >= base && address - base < size;
}

bool FindWithProcessStatus(const ProcessStatus& set, DWORD address, std::string* path) {
    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
    if (process == nullptr) return false;
    std::vector<HMODULE> modules(kMaxModules);
    DWORD needed = 0;
    bool found = false;
    if (set.enumModules(process, modules.data(), kMaxModules * sizeof(HMODULE), &needed)) {
        const DWORD count =
            needed / sizeof(HMODULE) < kMaxModules ? needed / sizeof(HMODULE) : kMaxModules;
        for (DWORD i = 0; i < count && !found; ++i) {
            char name[MAX_PATH] = {};
            const DWORD length = set.moduleFileName(process, modules[i], name, MAX_PATH);
            ModuleInfo info = {};
            if (!set.moduleInformation(process, modules[i], &info, sizeof info)) continue;
            if (!Contains(reinterpret_cast<uintptr_t>(info.base), info.size, address)) continue;
            *path = NormalizeModulePath(std::string(name, length < MAX_PATH ? length : 0),
                                        WindowsFolder());
            found = true;
        }
    }
    CloseHandle(process);
    return found;
}

bool FindWithToolHelp(const ToolHelp& set, DWORD address, std::string* path) {
    HANDLE snapshot = set.createSnapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE || snapshot == nullptr) return false;
    MODULEENTRY32 entry = {};
    entry.dwSize = kToolHelpEntrySize;
    bool found = false;
    for (BOOL more = set.moduleFirst(snapshot, &entry); more && !found;
         entry.dwSize = kToolHelpEntrySize, more = set.moduleNext(snapshot, &entry)) {
        if (Contains(reinterpret_cast<uintptr_t>(entry.modBaseAddr), entry.modBaseSize, address)) {
            entry.szExePath[MAX_PATH - 1] = '\0';
            *path = entry.szExePath;
            found = true;
        }
    }
    CloseHandle(snapshot);
    return found;
}

static_assert(sizeof(MODULEENTRY32) == kToolHelpEntrySize, "the ANSI module entry");

}  // namespace

std::string ModuleNameAt(DWORD address) {
    std::string path;
    if (IsNtPlatform()) {
        const ProcessStatus& set = ProcessStatusSet();
        if (set.usable && FindWithProcessStatus(set, address, &path)) return ModuleFileName(path);
    } else {
        const ToolHelp& set = ToolHelpSet();
        if (set.usable && FindWithToolHelp(set, address, &path)) return ModuleFileName(path);
    }
    return kUnknownModuleName;
}

}  // namespace vm
