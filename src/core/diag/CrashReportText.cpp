#include "core/diag/CrashReportText.h"

#include <cstdio>
#include <vector>

#include "core/ini/IniFile.h"

namespace vm {

std::string HexDump(const uint8_t* bytes, size_t count, size_t groupSize) {
    std::string text;
    text.reserve(count * 4);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        if (groupSize > 0 && i % groupSize == 0) text += "  ";
        char digits[3];
        std::snprintf(digits, sizeof digits, "%2.2X", static_cast<unsigned>(bytes[i]));
        text += digits;
    }
    return text;
}

std::string NormalizeModulePath(std::string_view path, std::string_view windowsFolder) {
    if (path.size() >= 2 && path[1] == ':') return std::string(path);
    // "\??\C:\..." and the like: the drive letter stands just before the first colon.
    const size_t colon = path.size() > 2 ? path.find(':', 2) : std::string_view::npos;
    if (colon != std::string_view::npos) return std::string(path.substr(colon - 1));
    constexpr std::string_view kSystemRoot = "\\systemroot";
    for (size_t i = 0; i + kSystemRoot.size() <= path.size(); ++i) {
        if (IniEqualNoCase(path.substr(i, kSystemRoot.size()), kSystemRoot)) {
            return std::string(windowsFolder) + std::string(path.substr(i + kSystemRoot.size()));
        }
    }
    if (!path.empty() && path[0] == '\\') {
        return std::string(windowsFolder.substr(0, 2)) + std::string(path);
    }
    return std::string(path);
}

std::string ModuleFileName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FormatCrashReport(const CrashFacts& f) {
    // The dumps alone are about 450 characters each: room enough before the cut.
    std::vector<char> text(kMaxCrashReportText + 1);
    std::snprintf(text.data(), text.size(),
                  "Exception %8.8X at address %8.8X in module %s\r\n"
                  "Registers: \r\n"
                  "EAX=%8.8X EBX=%8.8X ECX=%8.8X EDX=%8.8X\r\n"
                  "ESI=%8.8X EDI=%8.8X EBP=%8.8X ESP=%8.8X\r\n"
                  "EIP=%8.8X\r\n"
                  "Stack Data: %s\r\n"
                  "Code Data: %s\r\n",
                  static_cast<unsigned>(f.code), static_cast<unsigned>(f.address),
                  f.moduleName.c_str(), static_cast<unsigned>(f.eax), static_cast<unsigned>(f.ebx),
                  static_cast<unsigned>(f.ecx), static_cast<unsigned>(f.edx),
                  static_cast<unsigned>(f.esi), static_cast<unsigned>(f.edi),
                  static_cast<unsigned>(f.ebp), static_cast<unsigned>(f.esp),
                  static_cast<unsigned>(f.eip), f.stackText.c_str(), f.codeText.c_str());
    return text.data();
}

}  // namespace vm
