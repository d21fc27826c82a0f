#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"

namespace vm {
namespace {

// The resources the program loads by number, read from velocimark.exe itself.
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("VM_EXE");
        if (exe == nullptr) GTEST_SKIP() << "VM_EXE names no program file";
        path_ = exe;
        module_ = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << exe;
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    bool Has(int id, LPCSTR type) {
        return FindResourceA(module_, MAKEINTRESOURCEA(id), type) != nullptr;
    }
    std::string path_;
    HMODULE module_ = nullptr;
};

TEST_F(ProgramResources, EveryNumberedResourceIsThere) {
    EXPECT_TRUE(Has(IDI_VELOCIMARK, RT_GROUP_ICON));
    EXPECT_TRUE(Has(IDR_MAINMENU, RT_MENU));
    EXPECT_TRUE(Has(IDR_CONTEXTMENU, RT_MENU));
    EXPECT_TRUE(Has(IDR_ACCELERATORS, RT_ACCELERATOR));
    EXPECT_TRUE(Has(IDC_LINK_CURSOR, RT_GROUP_CURSOR));
    for (int id : {IDB_TOOLBAR, IDB_STATUSIMAGES, IDB_SORT_UP, IDB_SORT_DOWN}) {
        EXPECT_TRUE(Has(id, RT_BITMAP)) << id;
    }
}

TEST_F(ProgramResources, AcceleratorsHoldExactlyTheCommandKeys) {
    HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> keys(CopyAcceleratorTableA(table, nullptr, 0));
    CopyAcceleratorTableA(table, keys.data(), static_cast<int>(keys.size()));
    EXPECT_EQ(keys.size(), 20u);
    auto has = [&](BYTE flags, WORD key, WORD command) {
        for (const ACCEL& a : keys) {
            if ((a.fVirt & ~FNOINVERT) == (flags | FVIRTKEY) && a.key == key && a.cmd == command) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(has(0, VK_F2, ID_START_TEST));
    EXPECT_TRUE(has(FCONTROL, VK_F9, ID_ADD_FILE));
    EXPECT_TRUE(has(FCONTROL, VK_ADD, ID_AUTO_SIZE_COLUMNS));
    EXPECT_TRUE(has(FALT, VK_RETURN, ID_PROPERTIES));
    EXPECT_TRUE(has(0, VK_DELETE, ID_DELETE_SELECTED));
    EXPECT_TRUE(has(0, VK_F11, ID_SPEED_GRAPH));
}

// The installer commands belong to the Help menu, the last pop-up of the menu bar.
TEST_F(ProgramResources, InstallerCommandsAreInTheHelpMenu) {
    HMENU bar = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    const int helpPosition = GetMenuItemCount(bar) - 1;
    for (UINT command : {ID_CREATE_NSIS, ID_CREATE_NSIS_NON_ADMIN}) {
        int foundIn = -1;
        for (int position = 0; position <= helpPosition; ++position) {
            if (GetMenuState(GetSubMenu(bar, position), command, MF_BYCOMMAND) != UINT(-1)) {
                foundIn = position;
            }
        }
        EXPECT_EQ(helpPosition, foundIn) << command;
    }
    DestroyMenu(bar);
}

TEST_F(ProgramResources, FileVersionIs127) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, data.data()));
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.27");
}

TEST_F(ProgramResources, StatusImagesHoldFourIcons) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(module_, MAKEINTRESOURCEA(IDB_STATUSIMAGES), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 64);
    EXPECT_EQ(info.bmHeight, 16);
    DeleteObject(bitmap);
}

}  // namespace
}  // namespace vm
