#include <gtest/gtest.h>

#include <string>

#include "core/app/ScratchReports.h"
#include "support/MemoryFileSystem.h"

namespace vm {
namespace {

constexpr char kHtml[] = "C:\\Tools\\testreport.html";

TEST(ScratchReports, OnlyWhatThisProcessCreatedIsRemoved) {
    test::MemoryFileSystem files;
    files.files[kHtml] = "the user's own page";
    ScratchReports scratch(files);

    // The user's file is neither written over nor removed: the report goes beside it.
    const std::string path = scratch.PathFor(kHtml);
    EXPECT_EQ(path, "C:\\Tools\\testreport-2.html");
    files.files[path] = "report";
    scratch.Written(path);
    EXPECT_EQ(scratch.PathFor(kHtml), path);  // ours now: the next report replaces it
    scratch.Written(path);

    scratch.RemoveOwn();
    EXPECT_EQ(files.files[kHtml], "the user's own page");
    EXPECT_FALSE(files.Exists(path));
}

TEST(ScratchReports, AReportThatSomethingElseWroteStays) {
    const struct {
        bool writtenAfter;  // the automatic report or the export wrote the same name later
        bool disownSpelling;
        bool removed;
    } kCases[] = {
        {false, false, true},
        {true, false, false},
        {true, true, false},
    };
    for (const auto& c : kCases) {
        test::MemoryFileSystem files;
        ScratchReports scratch(files);
        const std::string path = scratch.PathFor(kHtml);
        ASSERT_EQ(path, kHtml);
        files.files[path] = "scratch";
        scratch.Written(path);
        if (c.writtenAfter) {
            files.files[path] = "automatic report";
            scratch.Disown(c.disownSpelling ? "c:/TOOLS/TestReport.html" : kHtml);
        }
        scratch.RemoveOwn();
        EXPECT_EQ(!files.Exists(kHtml), c.removed);
    }
}

TEST(ScratchReports, AWriteThatFailedOwnsNothingAndEveryNameTakenGivesNone) {
    test::MemoryFileSystem files;
    ScratchReports scratch(files);
    const std::string path = scratch.PathFor("C:\\Tools\\testreport.txt");
    files.files[path] = "someone else's, written in between";
    scratch.RemoveOwn();  // never written by us: stays
    EXPECT_TRUE(files.Exists(path));

    files.files["C:\\Tools\\r.txt"] = "x";
    for (int n = 2; n <= 99; ++n) files.files["C:\\Tools\\r-" + std::to_string(n) + ".txt"] = "x";
    EXPECT_EQ(scratch.PathFor("C:\\Tools\\r.txt"), "");
}

}  // namespace
}  // namespace vm
