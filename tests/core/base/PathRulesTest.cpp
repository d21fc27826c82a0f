#include <gtest/gtest.h>

#include "core/base/PathRules.h"

namespace vm {
namespace {

TEST(PathRules, FolderJoinAndName) {
    EXPECT_EQ(FolderOf("C:\\prog\\velocimark.exe"), "C:\\prog");
    EXPECT_EQ(FolderOf("velocimark.exe"), "velocimark.exe");
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(JoinPath("C:\\", "a.txt"), "C:\\a.txt");
    EXPECT_EQ(JoinPath("C:\\x", "a.txt"), "C:\\x\\a.txt");
    EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
    EXPECT_EQ(FileNamePart("C:\\x/y\\z.txt"), "z.txt");
    EXPECT_EQ(FileNamePart("http://h/f.bin"), "f.bin");
    EXPECT_EQ(FileNamePart("plain"), "plain");
}

TEST(PathRules, ReportPathBesideTheProgramUnlessItHasABackslash) {
    EXPECT_EQ(ResolveReportPath("C:\\prog", "report.txt"), "C:\\prog\\report.txt");
    EXPECT_EQ(ResolveReportPath("C:\\prog", "sub\\r.txt"), "sub\\r.txt");
    EXPECT_EQ(ResolveReportPath("C:\\prog", "D:\\out\\r.txt"), "D:\\out\\r.txt");
    // 259 characters fit; one more leaves no path at all.
    const std::string folder(250, 'f');
    EXPECT_EQ(ResolveReportPath(folder, "12345678").size(), 259u);
    EXPECT_EQ(ResolveReportPath(folder, "123456789"), "");
    // Never cut: the first kMaxPath characters would name another file.
    EXPECT_EQ(ResolveReportPath("C:\\p", std::string(300, 'x') + "\\r"), "");
    EXPECT_EQ(ResolveReportPath("C:\\p", std::string(258, 'x') + "\\r"), "");
    EXPECT_EQ(ResolveReportPath("C:\\p", std::string(258, 'x') + "\\").size(), kMaxPath);
}

}  // namespace
}  // namespace vm
