#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "WinTestFiles.h"
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

}  // namespace
}  // namespace vm
