#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/list/DownloadListView.h"
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

// Huge lists need more than 2 GB of a 32-bit address space on 64-bit Windows.
TEST_F(ProgramResources, TheProgramIsLargeAddressAware) {
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<uintptr_t>(module_) &
                                                     ~static_cast<uintptr_t>(3));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_NE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0);
}

// The menu shows each accelerator's key, so every key must run a command of the menu, and
// one key cannot run two commands.
TEST_F(ProgramResources, AcceleratorsRunMenuCommandsWithKeysOfTheirOwn) {
    HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> keys(CopyAcceleratorTableA(table, nullptr, 0));
    CopyAcceleratorTableA(table, keys.data(), static_cast<int>(keys.size()));
    HMENU bar = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    for (size_t i = 0; i < keys.size(); ++i) {
        bool inMenu = false;
        for (int position = 0; position < GetMenuItemCount(bar); ++position) {
            inMenu |=
                GetMenuState(GetSubMenu(bar, position), keys[i].cmd, MF_BYCOMMAND) != UINT(-1);
        }
        EXPECT_TRUE(inMenu) << keys[i].cmd;
        for (size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(keys[i].key == keys[j].key &&
                         (keys[i].fVirt & ~FNOINVERT) == (keys[j].fVirt & ~FNOINVERT))
                << keys[i].cmd << " and " << keys[j].cmd;
        }
    }
    DestroyMenu(bar);
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

// The version is written down four times (two numbers, two texts): a new release must
// change them together. The language file takes its "Version" from the text.
TEST_F(ProgramResources, VersionNumbersAndTextsAgree) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, data.data()));
    auto text = [&](const char* name) {
        char* value = nullptr;
        UINT length = 0;
        const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
        if (!VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            return std::string();
        return std::string(value);
    };
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string number = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                               std::to_string(LOWORD(fixed->dwFileVersionMS));
    EXPECT_EQ(number, text("FileVersion"));
    EXPECT_EQ(number, text("ProductVersion"));
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
}

// The list's image list takes 16 x 16 images: one for each row image the list shows.
TEST_F(ProgramResources, StatusImagesHoldEveryRowImage) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(module_, MAKEINTRESOURCEA(IDB_STATUSIMAGES), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 16 * (kImageSlow + 1));
    EXPECT_EQ(info.bmHeight, 16);
    DeleteObject(bitmap);
}

}  // namespace
}  // namespace vm
