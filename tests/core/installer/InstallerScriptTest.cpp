#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/installer/InstallerScript.h"
#include "support/GoldenFile.h"

namespace vm {
namespace {

std::string Template(int id) {
    return test::ReadFileBytes(std::string(VM_TEST_DATA_DIR) + "/../../res/installer_" +
                               (id == kMachineInstallerTemplate ? "admin" : "user") + ".nsi");
}

void ReplaceEach(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

TEST(InstallerTemplates, AreCrLfTextAndThePerUserOneDiffersOnlyWhereItMust) {
    const std::string machine = Template(kMachineInstallerTemplate);
    EXPECT_EQ(0u, machine.find("\r\n\r\n\r\nSetCompressor /SOLID lzma\r\n"));
    EXPECT_EQ(machine.size() - 18, machine.rfind("\nFunctionEnd\r\n\r\n\r\n"));
    std::string lineFeeds = machine;
    ReplaceEach(lineFeeds, "\r\n", "");
    EXPECT_EQ(std::string::npos, lineFeeds.find_first_of("\r\n"));
    for (const char* line :
         {"!insertmacro MUI_PAGE_FINISH\r\n\t\r\n#", "MUI_STARTMENU_WRITE_END\r\n\t\r\nWrite",
          "RMDir \"$SMPROGRAMS\\$StartMenuGroup\"\r\n\t\r\n", "\"$INSTDIR\\Velocimark.exe\"\t\r\n",
          "\"$INSTDIR\\Velocimark.chm\"\t\r\n",
          "File \"${BASE_SOURCE_DIR}\\Velocimark.exe\" \r\n"}) {
        EXPECT_NE(std::string::npos, machine.find(line)) << line;
    }
    std::string user = machine;
    ReplaceEach(user, "$PROGRAMFILES\\Brannoc", "$LOCALAPPDATA\\Brannoc");
    ReplaceEach(user, "RequestExecutionLevel admin", "RequestExecutionLevel user");
    ReplaceEach(user, "SetOverwrite on\r\n",
                "SetOverwrite on\r\nSetShellVarContext current\r\n\r\n");
    ReplaceEach(user, " HKLM ", " HKCU ");
    EXPECT_EQ(user, Template(kUserInstallerTemplate));
}

TEST(InstallerScript, FolderGoesInAndTranslationLinesGoWithoutTheFile) {
    const std::string machine = Template(kMachineInstallerTemplate);
    std::string expected = machine;
    expected.replace(expected.find("%source_dir%"), 12, "C:\\Tools");
    EXPECT_EQ(expected, BuildInstallerScript(machine, "C:\\Tools", true));
    expected.replace(expected.find(kTranslationFileLine), sizeof kTranslationFileLine - 1, "");
    expected.replace(expected.find(kTranslationDeleteLine), sizeof kTranslationDeleteLine - 1, "");
    EXPECT_EQ(expected, BuildInstallerScript(machine, "C:\\Tools", false));
    // Only the first occurrence goes, and the template ends at its first NUL.
    EXPECT_EQ("<D>%source_dir%", BuildInstallerScript("%source_dir%%source_dir%", "<D>", true));
    EXPECT_EQ("a", BuildInstallerScript(std::string("a\0b", 3), "D", true));
}

class RecordingHost : public InstallerHost {
public:
    bool ConfirmCreation() override { return Note("ask", answer); }
    void SaveConfiguration() override { Note("save", true); }
    bool LoadTemplate(int id, std::string* text) override {
        *text = "dir=%source_dir%\r\nFile \"${BASE_SOURCE_DIR}\\Velocimark_lng.ini\"\r\n";
        return Note("load " + std::to_string(id), hasTemplate);
    }
    bool FileExists(const std::string& path) override { return Note("exists " + path, false); }
    void WriteScript(const std::string& path, const std::string& text) override {
        script = text;
        Note("write " + path, true);
    }
    void RunShellVerb(const char* verb, const std::string& path) override {
        Note(std::string(verb) + " " + path, true);
    }
    bool Note(const std::string& call, bool result) {
        calls.push_back(call);
        return result;
    }
    bool answer = true;
    bool hasTemplate = true;
    std::vector<std::string> calls;
    std::string script;
};

TEST(InstallerScript, CommandAsksSavesWritesCompilesAndOpens) {
    using Calls = std::vector<std::string>;
    RecordingHost host;
    CreateInstallerScript(host, kUserInstallerTemplate, "C:\\Tools");
    EXPECT_EQ((Calls{"ask", "save", "load 115", "exists C:\\Tools\\Velocimark_lng.ini",
                     "write C:\\Tools\\velocimark.nsi", "compile C:\\Tools\\velocimark.nsi",
                     "open C:\\Tools\\"}),
              host.calls);
    EXPECT_EQ("dir=C:\\Tools\r\n\r\n", host.script);

    RecordingHost declined;
    declined.answer = false;
    CreateInstallerScript(declined, kMachineInstallerTemplate, "C:\\Tools");
    EXPECT_EQ(Calls{"ask"}, declined.calls);
    RecordingHost missing;
    missing.hasTemplate = false;
    CreateInstallerScript(missing, kMachineInstallerTemplate, "C:\\Tools");
    EXPECT_EQ((Calls{"ask", "save", "load 114"}), missing.calls);

    // A folder too long for the names beside it: no translation file and no script path.
    RecordingHost deep;
    const std::string folder(kMaxInstallerPath - 14, 'd');
    CreateInstallerScript(deep, kMachineInstallerTemplate, folder);
    EXPECT_EQ((Calls{"ask", "save", "load 114", "write ", "compile ", "open " + folder + "\\"}),
              deep.calls);
    EXPECT_NE("", FileBesideProgram(folder.substr(1), kInstallerScriptName));
}

#ifndef _WIN32
// The generated scripts are real installer scripts: NSIS compiles both kinds, with and
// without a translation file, from a folder of placeholder files.
TEST(InstallerScript, BothScriptsCompileWithMakensis) {
    if (std::system("command -v makensis >/dev/null 2>&1") != 0) GTEST_SKIP() << "no makensis";
    char folderName[] = "/tmp/vm_installer_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folderName));
    const std::string folder = folderName;
    for (const char* name : {"Velocimark.exe", "Velocimark.chm", "readme.txt", "Velocimark.cfg",
                             "Velocimark_lng.ini"}) {
        std::ofstream(folder + "/" + name) << "placeholder\r\n";
    }
    for (int id : {kMachineInstallerTemplate, kUserInstallerTemplate}) {
        for (bool translation : {true, false}) {
            std::ofstream(folder + "/velocimark.nsi", std::ios::binary)
                << BuildInstallerScript(Template(id), folder, translation);
            const std::string setup = folder + "/velocimark_setup.exe";
            std::remove(setup.c_str());
            const std::string command = "makensis -V1 '" + folder + "/velocimark.nsi' >/dev/null";
            EXPECT_EQ(0, std::system(command.c_str())) << id << " " << translation;
            EXPECT_EQ("MZ", test::ReadFileBytes(setup).substr(0, 2)) << id << " " << translation;
        }
    }
    EXPECT_EQ(0, std::system(("rm -rf '" + folder + "'").c_str()));
}
#endif

}  // namespace
}  // namespace vm
