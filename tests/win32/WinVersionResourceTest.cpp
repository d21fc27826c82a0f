#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "win32/lang/WinVersionResource.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

TEST(WinVersionResource, SystemLibraryHasAFileVersion) {
    char system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    WinVersionResource resource(std::string(system) + "\\kernel32.dll");
    uint16_t language = 0;
    uint16_t codePage = 0;
    EXPECT_TRUE(resource.FirstTranslation(&language, &codePage));
    const std::string version = FileVersionText(resource);
    EXPECT_FALSE(version.empty());
    EXPECT_NE(version.find('.'), std::string::npos) << version;
    EXPECT_NE(version.front(), ' ');
}

TEST(WinVersionResource, ProgramWithoutVersionGivesEmptyText) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    WinVersionResource resource(path);  // the test program has no version resource
    EXPECT_EQ(FileVersionText(resource), "");
    WinVersionResource missing(path + ".missing");
    EXPECT_EQ(FileVersionText(missing), "");
}

}  // namespace
}  // namespace vm
