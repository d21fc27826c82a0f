#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestMainWindow.h"
#include "WinTestFiles.h"
#include "resource.h"
#include "win32/installer/InstallerCommand.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

constexpr char kQuestion[] =
    "Do you want to create NSIS installation with your current Velocimark configuration ?";

// The real host, but the shell's verbs are only noted: "open" on a folder would start a
// file manager that outlives the test.
class NotedShellHost : public WinInstallerHost {
public:
    using WinInstallerHost::WinInstallerHost;
    void RunShellVerb(const char* verb, const std::string& path) override {
        verbs.push_back(std::string(verb) + " " + path);
    }
    std::vector<std::string> verbs;
};

// Answers the question box and keeps its text (the box's static text has id 0xFFFF).
void AnswerQuestion(int answer, std::string* question) {
    WhenDialogOpens([=](HWND box) {
        *question = ItemText(box, 0xFFFF);
        ClickButton(box, answer);
    });
}

TEST(InstallerCommand, YesWritesTheScriptFromTheResourceAndAsksTheShell) {
    const std::string folder = TempFilePath("vm_installer_test");
    const std::string script = folder + "\\velocimark.nsi";
    const std::string translation = folder + "\\Velocimark_lng.ini";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (bool withTranslation : {false, true}) {
        if (withTranslation) {
            CloseHandle(CreateFileA(translation.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    0, nullptr));
        }
        int saves = 0;
        NotedShellHost host(nullptr, [&] { ++saves; });
        std::string question;
        AnswerQuestion(IDYES, &question);
        CreateInstallerScript(host, IDR_INSTALLER_USER, folder);
        EXPECT_EQ(kQuestion, question);
        EXPECT_EQ(1, saves);
        const std::string text = ReadFileText(script);
        EXPECT_EQ(0u, text.find("\r\n\r\n\r\nSetCompressor /SOLID lzma\r\n"));
        EXPECT_NE(std::string::npos, text.find("!define BASE_SOURCE_DIR \"" + folder + "\"\r\n"));
        EXPECT_NE(std::string::npos, text.find("RequestExecutionLevel user\r\n"));
        EXPECT_EQ(withTranslation,
                  text.find("Delete $INSTDIR\\Velocimark_lng.ini") != std::string::npos);
        EXPECT_EQ((std::vector<std::string>{"compile " + script, "open " + folder + "\\"}),
                  host.verbs);
    }
    DeleteFileA(script.c_str());
    DeleteFileA(translation.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(InstallerCommand, MainWindowCommandsAskFirstAndNoChangesNothing) {
    TestMainWindow window;
    ASSERT_TRUE(window.Open());
    const std::string script = ProgramFolder() + "\\velocimark.nsi";
    DeleteFileA(script.c_str());
    for (UINT command : {ID_CREATE_NSIS, ID_CREATE_NSIS_NON_ADMIN}) {
        std::string question;
        AnswerQuestion(IDNO, &question);
        SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        EXPECT_EQ(kQuestion, question) << command;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(script.c_str())) << command;
    }
}

}  // namespace
}  // namespace vm
