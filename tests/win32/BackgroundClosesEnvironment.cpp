#include <gtest/gtest.h>

#include "win32/engine/HandleCloser.h"
#include "win32/engine/WinLocalFileApi.h"

namespace vm {
namespace {

// The tests' FTP transfers leave workers and handles closing; a test program that ends in
// the middle of an FTP close leaves the prefix's Wine server spinning, which later tests
// would see. A stopped https flood drains the rest of its body while it closes, which takes
// tens of seconds on a loaded machine: the bound catches a close that never ends.
class BackgroundClosesEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        EXPECT_TRUE(WaitForWorkers(10000));
        EXPECT_TRUE(WaitForBackgroundCloses(60000));
    }
};

const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new BackgroundClosesEnvironment());

}  // namespace
}  // namespace vm
