#include "WinTestFiles.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "win32/platform/WinFileSystem.h"

namespace vm {

std::string TempFilePath(const std::string& name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return folder + name;
}

std::string ReadFileText(const std::string& path) {
    WinFileSystem files;
    std::string text;
    uint32_t error = 0;
    files.ReadWhole(path, 1 << 24, &text, &error);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
    WinFileSystem files;
    uint32_t error = 0;
    auto out = files.CreateForWriting(path, &error);
    ASSERT_NE(out, nullptr) << path;
    ASSERT_TRUE(out->Write(text)) << path;
    ASSERT_TRUE(out->Close()) << path;
}

}  // namespace vm
