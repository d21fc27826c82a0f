#include "win32/platform/WinMessageTable.h"

#include <windows.h>

#include "core/engine/ErrorText.h"

namespace vm {
namespace {

HMODULE NetMsgModule() {
    // Loaded once as data and kept for the life of the process.
    static HMODULE module = LoadLibraryExA("netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

}  // namespace

bool WinMessageTable::Lookup(uint32_t code, MessageModule module, std::string* text) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE source = nullptr;
    if (module == MessageModule::NetMsg) {
        source = NetMsgModule();
    } else if (module == MessageModule::WinInet) {
        // Only when the library is already in the process: the test run has loaded it.
        source = GetModuleHandleA("wininet.dll");
    }
    if (source != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;

    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(flags, source, code, 0x400, reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return false;
    text->assign(buffer, length);
    LocalFree(buffer);
    return true;
}

std::string SystemErrorText(uint32_t code) {
    WinMessageTable table;
    return GetErrorText(code, table);
}

}  // namespace vm
