#include <gtest/gtest.h>

#include <string>

#include "core/app/ExportTarget.h"
#include "core/base/PathRules.h"
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
        // Without a backslash a name goes beside the program, slashes and all.
        {"C:/Tools/velocimark.cfg", ExportTargetVerdict::Accepted},
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
