#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace vm::test {

// The file's bytes, or "" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Compares bytes with a checked-in file. VM_UPDATE_GOLDEN=1 rewrites the file instead, for
// review before it is committed.
inline void ExpectGoldenFile(const std::string& actual, const std::string& path) {
    if (std::getenv("VM_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(std::ifstream(path, std::ios::binary).good()) << "missing " << path;
    EXPECT_EQ(actual, ReadFileBytes(path)) << path;
}

}  // namespace vm::test
