#include <gtest/gtest.h>

#include "core/diag/CrashReportText.h"

namespace vm {
namespace {

TEST(CrashReportTextTest, HexDumpGroupsBytes) {
    const uint8_t bytes[] = {0x00, 0x1f, 0xA0, 0xff, 0x10, 0x02};
    EXPECT_EQ("00 1F A0 FF 10 02", HexDump(bytes, 6, 0));
    EXPECT_EQ("  00 1F A0 FF   10 02", HexDump(bytes, 6, 4));
    EXPECT_EQ("", HexDump(bytes, 0, 4));
}

TEST(CrashReportTextTest, ModulePathsBecomeDrivePaths) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Tools\\velocimark.exe", "C:\\Tools\\velocimark.exe"},
        {"\\??\\C:\\Tools\\velocimark.exe", "C:\\Tools\\velocimark.exe"},
        {"\\SystemRoot\\System32\\ntdll.dll", "D:\\WINNT\\System32\\ntdll.dll"},
        {"\\device\\x\\SYSTEMROOT\\a.dll", "D:\\WINNT\\a.dll"},
        {"\\Windows\\b.dll", "D:\\Windows\\b.dll"},
        {"plain.dll", "plain.dll"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, NormalizeModulePath(c.path, "D:\\WINNT"));
    EXPECT_EQ("ntdll.dll", ModuleFileName("C:\\WINNT\\system32/ntdll.dll"));
    EXPECT_EQ("x.exe", ModuleFileName("x.exe"));
}

TEST(CrashReportTextTest, ReportTextHasTheFixedLayout) {
    CrashFacts facts;
    facts.code = 0xC0000094;
    facts.address = 0x401000;
    facts.eax = 1;
    facts.esp = 0x12FF00;
    facts.eip = 0x401000;
    facts.codeText = "CC";
    EXPECT_EQ(
        "Exception C0000094 at address 00401000 in module {Unknown}\r\n"
        "Registers: \r\n"
        "EAX=00000001 EBX=00000000 ECX=00000000 EDX=00000000\r\n"
        "ESI=00000000 EDI=00000000 EBP=00000000 ESP=0012FF00\r\n"
        "EIP=00401000\r\n"
        "Stack Data: \r\n"
        "Code Data: CC\r\n",
        FormatCrashReport(facts));
    facts.moduleName = std::string(3000, 'm');
    EXPECT_EQ(kMaxCrashReportText, FormatCrashReport(facts).size());
}

}  // namespace
}  // namespace vm
