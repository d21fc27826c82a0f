#include "win32/platform/OsVersion.h"

namespace vm {

const OSVERSIONINFOA& GetOsVersion() {
    static const OSVERSIONINFOA version = [] {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        GetVersionExA(&info);
        return info;
    }();
    return version;
}

bool IsNtPlatform() { return GetOsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

}  // namespace vm
