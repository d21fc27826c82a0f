#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "WinTestFiles.h"
#include "core/report/HistoryReader.h"
#include "win32/app/RunHistoryFile.h"
#include "win32/platform/WinAppendFile.h"

namespace vm {
namespace {

std::string RunLine(int writer, int run, size_t padding) {
    return "{\"format_version\":1,\"run_start\":\"2026-12-01T10:00:00.000Z\",\"items\":[{\"url\":"
           "\"http://w" +
           std::to_string(writer) + "/\",\"status\":\"finished\",\"name\":\"" +
           std::string(padding, 'a' + static_cast<char>(writer)) +
           "\",\"order\":" + std::to_string(run) + "}]}";
}

TEST(WinAppendFile, WritersAtOnceNeverInterleave) {
    // Each writer opens its own handle, as another process would; lines larger than a
    // pipe or disk block show a torn write if the lock or the append position failed.
    const std::string path = TempFilePath("vm_history_race.jsonl");
    DeleteFileA(path.c_str());
    constexpr int kWriters = 4;
    constexpr int kRuns = 40;
    std::vector<std::thread> writers;
    std::vector<int> failures(kWriters, 0);
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int r = 0; r < kRuns; ++r) {
                uint32_t error = 0;
                if (!AppendToHistoryFile(path, RunLine(w, r, 20000 + 997 * w), &error))
                    ++failures[w];
            }
        });
    }
    for (std::thread& t : writers) t.join();
    for (int w = 0; w < kWriters; ++w) EXPECT_EQ(failures[w], 0);
    HistoryReader reader;
    uint32_t error = 0;
    ASSERT_TRUE(ReadHistoryFile(path, reader, &error));
    EXPECT_EQ(reader.RunCount(), static_cast<size_t>(kWriters * kRuns));
    EXPECT_EQ(reader.DamagedLines(), 0u);
    EXPECT_EQ(reader.Trends().size(), static_cast<size_t>(kWriters));
    DeleteFileA(path.c_str());
}

TEST(WinAppendFile, ATornLastLineGetsItsLineEndBeforeTheNextRun) {
    const std::string path = TempFilePath("vm_history_torn.jsonl");
    const std::string whole = RunLine(0, 1, 10);
    WriteFileText(path, whole + "\n" + whole.substr(0, 30));
    uint32_t error = 0;
    ASSERT_TRUE(AppendToHistoryFile(path, RunLine(1, 2, 10), &error));
    EXPECT_EQ(ReadFileText(path),
              whole + "\n" + whole.substr(0, 30) + "\n" + RunLine(1, 2, 10) + "\n");
    HistoryReader reader;
    ASSERT_TRUE(ReadHistoryFile(path, reader, &error));
    EXPECT_EQ(reader.RunCount(), 2u);
    EXPECT_EQ(reader.DamagedLines(), 1u);
    DeleteFileA(path.c_str());
}

TEST(WinAppendFile, FailuresKeepTheirErrorCode) {
    uint32_t error = 0;
    EXPECT_FALSE(AppendToHistoryFile(TempFilePath("no such folder\\h.jsonl"), "{}", &error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(AppendToHistoryFile("", "{}", &error));
    // A missing history reads as an empty one.
    HistoryReader reader;
    EXPECT_TRUE(ReadHistoryFile(TempFilePath("vm_no_history.jsonl"), reader, &error));
    EXPECT_EQ(reader.RunCount(), 0u);
}

TEST(WinAppendFile, TheLockLetsReadersIn) {
    const std::string path = TempFilePath("vm_history_lock.jsonl");
    WriteFileText(path, "{\"items\":[]}\n");
    uint32_t error = 0;
    auto held = WinAppendFile::Open(path, &error);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(ReadFileText(path), "{\"items\":[]}\n");
    held.reset();
    DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace vm
