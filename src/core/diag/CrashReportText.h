#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// The crash report shows this many bytes at the stack pointer and at the faulting code.
constexpr size_t kCrashDumpBytes = 128;
constexpr size_t kMaxCrashReportText = 2048;
constexpr char kUnknownModuleName[] = "{Unknown}";

// Bytes as two upper-case hex digits each, separated by a space; with a group size above 0,
// two more spaces go before every byte whose index is a multiple of it (so the text of a
// grouped dump begins with two spaces).
std::string HexDump(const uint8_t* bytes, size_t count, size_t groupSize);

// A module path as the process-status functions give it, made into a drive path: a device
// prefix before the drive letter goes, "\SystemRoot" becomes the Windows folder and a
// rooted path gets the Windows folder's drive. Paths with a drive letter stay as they are.
std::string NormalizeModulePath(std::string_view path, std::string_view windowsFolder);

// The part after the last "\" or "/".
std::string ModuleFileName(std::string_view path);

// What the crash report says about one fault.
struct CrashFacts {
    uint32_t code = 0;
    uint32_t address = 0;
    std::string moduleName = kUnknownModuleName;
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, esi = 0, edi = 0, ebp = 0, esp = 0, eip = 0;
    std::string stackText;  // empty when the stack could not be read
    std::string codeText;   // empty when the code could not be read
};

// The text of the crash dialog, at most kMaxCrashReportText characters, CR LF line ends.
std::string FormatCrashReport(const CrashFacts& facts);

}  // namespace vm
