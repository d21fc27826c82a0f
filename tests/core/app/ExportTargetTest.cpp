#include <gtest/gtest.h>

#include <string>

#include "core/app/ExportTarget.h"
#include "core/base/PathRules.h"
#include "core/platform/FileReplacement.h"
#include "support/MemoryFileSystem.h"

namespace vm {
namespace {

constexpr char kFolder[] = "C:\\Tools";
constexpr char kCwd[] = "D:\\work";

TEST(ExportTarget, ComparablePathSpellsOneFileOneWay) {
    const struct {
        const char* path;
        const char* full;
    } kCases[] = {
        {"C:\\Tools\\velocimark.cfg", "c:\\tools\\velocimark.cfg"},
        {"c:/TOOLS//Velocimark.CFG", "c:\\tools\\velocimark.cfg"},
        {"C:\\Tools\\sub\\..\\.\\velocimark.cfg", "c:\\tools\\velocimark.cfg"},
        {"C:\\Tools\\velocimark.cfg. . ", "c:\\tools\\velocimark.cfg"},  // Windows drops them
        {"r.txt", "d:\\work\\r.txt"},
        {"..\\r.txt", "d:\\r.txt"},
        {"\\r.txt", "d:\\r.txt"},
        {"d:r.txt", "d:\\work\\r.txt"},
        {"E:r.txt", "e:\\r.txt"},
        {"\\\\Server\\Share\\..\\..\\x", "\\\\server\\share\\x"},
        {"C:\\..\\..", "c:\\"},
    };
    for (const auto& c : kCases) EXPECT_EQ(ComparablePath(c.path, kCwd), c.full) << c.path;
}

TEST(ExportTarget, RefusesTheProgramsOwnFilesAndNamesTooLong) {
    test::MemoryFileSystem files;
    const ProgramFiles own{"C:\\Tools\\velocimark.cfg", "C:\\Tools\\velocimark.lng",
                           "C:\\Tools\\velocimark.exe"};
    const std::string longName = std::string(kMaxPath - 2, 'r') + ".txt";  // 261 characters
    const struct {
        std::string name;
        ExportTargetVerdict verdict;
    } kCases[] = {
        {"report.txt", ExportTargetVerdict::Accepted},
        {"sub\\report.txt", ExportTargetVerdict::Accepted},
        {"velocimark.cfg", ExportTargetVerdict::ProgramFile},
        {"VELOCIMARK.CFG", ExportTargetVerdict::ProgramFile},
        {"C:\\Tools/./Velocimark.cfg", ExportTargetVerdict::ProgramFile},
        // Without a backslash a name goes beside the program, slashes and all: its ':'
        // then names a stream.
        {"C:/Tools/velocimark.cfg", ExportTargetVerdict::InvalidName},
        {"C:\\Tools\\x\\..\\velocimark.cfg", ExportTargetVerdict::ProgramFile},
        {"velocimark.lng", ExportTargetVerdict::ProgramFile},
        {"C:\\tools\\velocimark.exe", ExportTargetVerdict::ProgramFile},
        {"velocimark.cfg.txt", ExportTargetVerdict::Accepted},
        {"C:\\" + longName, ExportTargetVerdict::TooLong},
        {longName, ExportTargetVerdict::TooLong},  // beside the program it passes the bound
        // Short as written, too long once the current directory is put in front.
        {"..\\" + std::string(kMaxPath - 10, 'a') + "\\r.txt", ExportTargetVerdict::Accepted},
        {"x\\" + std::string(kMaxPath - 10, 'a') + "\\r.txt", ExportTargetVerdict::TooLong},
    };
    for (const auto& c : kCases) {
        std::string path;
        EXPECT_EQ(CheckExportTarget(files, c.name, kFolder, kCwd, own, &path), c.verdict) << c.name;
        EXPECT_EQ(path.empty(), c.name.size() > kMaxPath) << c.name;
    }
}

// One table for every file the program writes for the user: the pre-run check of a target
// and the writer itself refuse the same names, and the writer then creates nothing.
TEST(ExportTarget, DevicesStreamsAndLongNamesAreNeverWritten) {
    const struct {
        const char* name;
        OutputPathProblem problem;
    } kCases[] = {
        {"C:\\Tools\\report.txt", OutputPathProblem::None},
        {"C:\\Tools\\console\\r.txt", OutputPathProblem::None},
        {"C:\\Tools\\COM10", OutputPathProblem::None},
        {"C:\\Tools\\nullify.txt", OutputPathProblem::None},
        {"C:\\Tools\\COM1", OutputPathProblem::Device},
        {"C:\\Tools\\nul.cfg", OutputPathProblem::Device},
        {"C:\\Tools\\Lpt9 .html", OutputPathProblem::Device},
        {"C:\\Tools\\aux.", OutputPathProblem::Device},
        {"C:\\Tools\\con.d\\r.txt", OutputPathProblem::Device},  // as Windows reads it
        {"C:\\Tools\\CONOUT$", OutputPathProblem::Device},
        {"C:\\Tools\\prn\\r.txt", OutputPathProblem::Device},
        {"\\\\.\\pipe\\x", OutputPathProblem::Device},
        {"//?/C:/Tools/r.txt", OutputPathProblem::Device},
        {"C:\\Tools\\velocimark.cfg::$DATA", OutputPathProblem::Stream},
        {"C:\\Tools\\velocimark.cfg:stream", OutputPathProblem::Stream},
        {"C:\\Tools\\r.txt:", OutputPathProblem::Stream},
        {"::x", OutputPathProblem::Stream},
        {"", OutputPathProblem::TooLong},
    };
    const ProgramFiles own{"C:\\Tools\\velocimark.cfg", "", ""};
    for (const auto& c : kCases) {
        EXPECT_EQ(CheckOutputPath(c.name), c.problem) << c.name;
        test::MemoryFileSystem files;
        uint32_t error = 0;
        const bool written = WriteFileReplacing(
            files, c.name, [](OutputFile& out) { return out.Write("x"); }, &error);
        EXPECT_EQ(written, c.problem == OutputPathProblem::None) << c.name;
        EXPECT_EQ(files.files.size(), written ? 1u : 0u) << c.name;
        if (c.problem == OutputPathProblem::Device || c.problem == OutputPathProblem::Stream) {
            EXPECT_EQ(error, kErrorInvalidName) << c.name;
            std::string path;
            EXPECT_EQ(CheckExportTarget(files, c.name, kFolder, kCwd, own, &path),
                      ExportTargetVerdict::InvalidName)
                << c.name;
        }
    }
    const std::string overlong = "C:\\" + std::string(kMaxPath, 'r');
    EXPECT_EQ(CheckOutputPath(overlong), OutputPathProblem::TooLong);
    // Beside the program, a bare device name is refused like a path to one.
    std::string path;
    test::MemoryFileSystem files;
    EXPECT_EQ(CheckExportTarget(files, "COM1", kFolder, kCwd, own, &path),
              ExportTargetVerdict::InvalidName);
}

// The platform knows files that no spelling shows the same (short names, links).
class IdentityFileSystem : public test::MemoryFileSystem {
public:
    bool SameFile(const std::string& a, const std::string& b) override {
        return (a == "C:\\Tools\\velocimark.cfg" && b == "C:\\PROGRA~1\\VELOCI~1.CFG");
    }
};

TEST(ExportTarget, TheSameFileUnderAnotherNameIsRefused) {
    IdentityFileSystem files;
    const ProgramFiles own{"C:\\Tools\\velocimark.cfg", "", ""};
    std::string path;
    EXPECT_EQ(CheckExportTarget(files, "C:\\PROGRA~1\\VELOCI~1.CFG", kFolder, kCwd, own, &path),
              ExportTargetVerdict::ProgramFile);
    EXPECT_EQ(CheckExportTarget(files, "C:\\PROGRA~1\\OTHER~1.CFG", kFolder, kCwd, own, &path),
              ExportTargetVerdict::Accepted);
}

}  // namespace
}  // namespace vm
