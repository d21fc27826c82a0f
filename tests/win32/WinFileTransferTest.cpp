#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TransferTestWindow.h"
#include "win32/platform/WinMessageTable.h"

namespace vm {
namespace {

using test::TransferTestWindow;

constexpr uint32_t kEventFlags = kTransferPostEvents | kTransferPostProgress;

std::string TempFile(const char* name, size_t size) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i % 251);
    DWORD written = 0;
    if (size != 0) WriteFile(h, data.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(h);
    return path;
}

class WinFileTransferTest : public ::testing::Test {
protected:
    TransferTestWindow window;

    std::unique_ptr<DownloadTransfer> Start(const std::string& path) {
        auto t = std::make_unique<DownloadTransfer>(ProcessTransfers());
        t->Init(window.Id(), WM_TRANSFER_EVENT, kEventFlags);
        window.Attach(t.get());
        EXPECT_TRUE(t->StartFileRead(path));
        return t;
    }
};

TEST_F(WinFileTransferTest, AcceptedThenFinishedWithTheWholeCount) {
    const std::string path = TempFile("vm-200k.bin", 200000);
    ASSERT_TRUE(IsLocalPath(path)) << path;
    auto t = Start(path);
    ASSERT_TRUE(window.PumpUntilEnd(10000));
    std::vector<uint32_t> codes;
    for (const auto& e : window.events) codes.push_back(e.code);
    // Progress comes by time, not per block: four blocks read at once post none (a
    // worker held up by a busy machine may post one or two).
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes.front(), EV_RESPONSE_ACCEPTED);
    EXPECT_EQ(codes.back(), EV_FINISHED);
    EXPECT_LE(window.Count(EV_PROGRESS), 2u);
    EXPECT_EQ(t->BytesRead(), 200000u);
    EXPECT_EQ(t->ContentLength(), 200000u);
    t.reset();
    DeleteFileA(path.c_str());  // closed: the delete succeeds
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WinFileTransferTest, EmptyFile) {
    const std::string path = TempFile("vm-empty.bin", 0);
    auto t = Start(path);
    ASSERT_TRUE(window.PumpUntilEnd(10000));
    ASSERT_EQ(window.events.size(), 2u);
    EXPECT_EQ(window.events[0].code, EV_RESPONSE_ACCEPTED);
    EXPECT_EQ(window.events[1].code, EV_FINISHED);
    EXPECT_EQ(t->BytesRead(), 0u);
    t.reset();
    DeleteFileA(path.c_str());
}

TEST_F(WinFileTransferTest, MissingFileFailsWithErrorTwoAndItsText) {
    auto t = Start("C:\\no\\such\\vm-missing.bin");
    ASSERT_TRUE(window.PumpUntilEnd(10000));
    EXPECT_EQ(window.LastCode(), EV_FAILED);
    EXPECT_EQ(window.Count(EV_RESPONSE_ACCEPTED), 0u);
    EXPECT_TRUE(t->Error() == ERROR_FILE_NOT_FOUND || t->Error() == ERROR_PATH_NOT_FOUND)
        << t->Error();
    EXPECT_NE(SystemErrorText(t->Error()), "");
    t.reset();
    const std::string path = TempFile("vm-x.bin", 10);
    DeleteFileA(path.c_str());
    auto missing = Start(path);
    ASSERT_TRUE(window.PumpUntilEnd(10000));
    EXPECT_EQ(missing->Error(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

// A fast disk posts a progress event per 64 KiB block: the end must still arrive.
TEST_F(WinFileTransferTest, LargeFileFinishes) {
    const std::string path = TempFile("vm-96m.bin", 96 * 1024 * 1024);
    auto t = Start(path);
    ASSERT_TRUE(window.PumpUntilEnd(60000));
    EXPECT_EQ(window.LastCode(), EV_FINISHED);
    EXPECT_EQ(t->BytesRead(), 96u * 1024 * 1024);
    t.reset();
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(WinFileTransferTest, StopAndDestroyMidFileIgnoresLateEvents) {
    const std::string path = TempFile("vm-8m.bin", 8 * 1024 * 1024);
    for (int round = 0; round < 5; ++round) {
        window.events.clear();
        auto t = Start(path);
        const uint32_t serial = t->Serial();
        window.PumpFor(static_cast<uint32_t>(round));
        t.reset();  // stop: waits for the worker at most 1,500 ms
        window.Attach(nullptr);
        const size_t before = window.events.size();
        window.PumpFor(100);
        for (size_t i = before; i < window.events.size(); ++i) {
            EXPECT_EQ(window.events[i].serial, serial);
        }
        EXPECT_FALSE(ProcessTransfers().registry.IsLive(serial));
    }
    // The file is not held open by any worker.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace vm
