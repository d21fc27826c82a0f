#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "WinTestFiles.h"
#include "core/platform/FileReplacement.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {
namespace {

TEST(WinFileSystem, WriteReadAndRemove) {
    WinFileSystem fs;
    const std::string path = TempFilePath("vm_fs_test.bin");
    uint32_t error = 0;
    auto file = fs.CreateForWriting(path, &error);
    ASSERT_NE(file, nullptr);
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string piece = "line " + std::to_string(i) + "\r\n";
        ASSERT_TRUE(file->Write(piece));
        expected += piece;
    }
    const std::string big(200000, 'b');  // larger than the write buffer
    ASSERT_TRUE(file->Write(big));
    expected += big;
    ASSERT_TRUE(file->Close());

    std::string content;
    ASSERT_TRUE(fs.ReadWhole(path, 1 << 24, &content, &error));
    EXPECT_EQ(content, expected);
    EXPECT_FALSE(fs.ReadWhole(path, 1000, &content, &error));
    EXPECT_EQ(error, kErrorFileTooLarge);
    EXPECT_TRUE(fs.Exists(path));
    EXPECT_TRUE(fs.Remove(path));
    EXPECT_FALSE(fs.Exists(path));
}

TEST(WinFileSystem, ErrorsCarryThePlatformCode) {
    WinFileSystem fs;
    std::string content;
    uint32_t error = 0;
    EXPECT_FALSE(fs.ReadWhole(TempFilePath("vm_no_such_file.bin"), 100, &content, &error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    error = 0;
    EXPECT_EQ(fs.CreateForWriting(TempFilePath("no_such_folder\\x.txt"), &error), nullptr);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
}

std::string ReadAll(WinFileSystem& fs, const std::string& path) {
    std::string content;
    uint32_t error = 0;
    return fs.ReadWhole(path, 1 << 20, &content, &error) ? content : std::string("<unread>");
}

TEST(WinFileSystem, ReplacingWritesKeepReadOnlyFilesAndNeighbours) {
    WinFileSystem fs;
    const std::string path = TempFilePath("vm_fs_readonly.cfg");
    const auto writeNew = [](OutputFile& out) { return out.Write(std::string("new")); };
    uint32_t error = 0;
    ASSERT_TRUE(WriteFileReplacing(fs, path, writeNew, &error));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto writeOther = [](OutputFile& out) { return out.Write(std::string("other")); };
    EXPECT_FALSE(WriteFileReplacing(fs, path, writeOther, &error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadAll(fs, path), "new");
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A file of the user's called like the temporary file stays as it was.
    const std::string neighbour = path + kReplacementSuffix;
    ASSERT_TRUE(WriteFileReplacing(fs, neighbour, writeNew, &error));
    ASSERT_TRUE(WriteFileReplacing(fs, path, writeOther, &error));
    EXPECT_EQ(ReadAll(fs, path), "other");
    EXPECT_EQ(ReadAll(fs, neighbour), "new");
    fs.Remove(neighbour);
    fs.Remove(path);
}

TEST(WinFileSystem, SameFileUnderOtherSpellings) {
    WinFileSystem fs;
    const std::string path = TempFilePath("vm_fs_same.cfg");
    uint32_t error = 0;
    ASSERT_TRUE(WriteFileReplacing(
        fs, path, [](OutputFile& out) { return out.Write(std::string("x")); }, &error));
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(path.c_str(), shortName, sizeof shortName);
    std::string upper = path;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    const struct {
        std::string other;
        bool same;
    } kCases[] = {
        {path, true},
        {upper, true},
        {shortName, true},
        {path + ".other", false},
        {TempFilePath("vm_no_such_file.cfg"), false},
    };
    for (const auto& c : kCases) EXPECT_EQ(fs.SameFile(path, c.other), c.same) << c.other;
    fs.Remove(path);
}

}  // namespace
}  // namespace vm
