#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "installer/InstallerScript.h"

namespace vm {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Template(int id) {
    return ReadBytes(std::string(VM_TEST_DATA_DIR) + "/../../res/" +
                     (id == kMachineInstallerTemplate ? "installer_admin.nsi"
                                                      : "installer_user.nsi"));
}

void ReplaceEach(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

TEST(InstallerTemplates, AreCrLfTextAndThePerUserOneDiffersOnlyWhereItMust) {
    const std::string machine = Template(kMachineInstallerTemplate);
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(0u, machine.find("\r\n\r\n\r\nSetCompressor /SOLID lzma\r\n"));
    EXPECT_EQ(machine.size() - 18, machine.rfind("\nFunctionEnd\r\n\r\n\r\n"));
    size_t bareLineFeeds = 0;
    for (size_t i = 0; i < machine.size(); ++i) {
        if (machine[i] == '\n' && (i == 0 || machine[i - 1] != '\r')) ++bareLineFeeds;
    }
    EXPECT_EQ(0u, bareLineFeeds);
    // Lines that end in a tab or a space, and the tab-only lines.
    EXPECT_NE(std::string::npos, machine.find("!insertmacro MUI_PAGE_FINISH\r\n\t\r\n#!insertmacro"));
    EXPECT_NE(std::string::npos, machine.find("MUI_STARTMENU_WRITE_END\r\n\t\r\nWriteRegExpandStr"));
    EXPECT_NE(std::string::npos, machine.find("RMDir \"$SMPROGRAMS\\$StartMenuGroup\"\r\n\t\r\n"));
    EXPECT_NE(std::string::npos, machine.find("\"$INSTDIR\\Velocimark.exe\"\t\r\n"));
    EXPECT_NE(std::string::npos, machine.find("\"$INSTDIR\\Velocimark.chm\"\t\r\n"));
    EXPECT_NE(std::string::npos, machine.find("File \"${BASE_SOURCE_DIR}\\Velocimark.exe\" \r\n"));

    std::string user = machine;
    ReplaceEach(user, "$PROGRAMFILES\\Brannoc", "$LOCALAPPDATA\\Brannoc");
    ReplaceEach(user, "RequestExecutionLevel admin", "RequestExecutionLevel user");
    ReplaceEach(user, "SetOverwrite on\r\n", "SetOverwrite on\r\nSetShellVarContext current\r\n\r\n");
    ReplaceEach(user, " HKLM ", " HKCU ");
    EXPECT_EQ(user, Template(kUserInstallerTemplate));
}

TEST(InstallerScript, FolderGoesInAndTranslationLinesGoWithoutTheFile) {
    const std::string machine = Template(kMachineInstallerTemplate);
    const std::string with = BuildInstallerScript(machine, "C:\\Tools", true);
    std::string expected = machine;
    expected.replace(expected.find("%source_dir%"), 12, "C:\\Tools");
    EXPECT_EQ(expected, with);

    const std::string without = BuildInstallerScript(machine, "C:\\Tools", false);
    expected.replace(expected.find(kTranslationFileLine), sizeof kTranslationFileLine - 1, "");
    expected.replace(expected.find(kTranslationDeleteLine), sizeof kTranslationDeleteLine - 1, "");
    EXPECT_EQ(expected, without);
    EXPECT_NE(std::string::npos, without.find("Velocimark.cfg\"\r\n\r\n\r\n!insertmacro"));

    // Only the first occurrence goes, and the template ends at its first NUL.
    EXPECT_EQ("<D>%source_dir%", BuildInstallerScript("%source_dir%%source_dir%", "<D>", true));
    EXPECT_EQ("a", BuildInstallerScript(std::string("a\0b", 3), "D", true));
    std::string unchanged = "no pattern";
    EXPECT_FALSE(ReplaceFirst(unchanged, "x", "y"));
    EXPECT_EQ("no pattern", unchanged);
}

class RecordingHost : public InstallerHost {
public:
    bool ConfirmCreation() override {
        calls.push_back("ask");
        return answer;
    }
    void SaveConfiguration() override { calls.push_back("save"); }
    bool LoadTemplate(int id, std::string* text) override {
        calls.push_back("load " + std::to_string(id));
        *text = "dir=%source_dir%\r\nFile \"${BASE_SOURCE_DIR}\\Velocimark_lng.ini\"\r\n";
        return hasTemplate;
    }
    bool FileExists(const std::string& path) override {
        calls.push_back("exists " + path);
        return translation;
    }
    void WriteScript(const std::string& path, const std::string& text) override {
        calls.push_back("write " + path);
        script = text;
    }
    void RunShellVerb(const char* verb, const std::string& path) override {
        calls.push_back(std::string(verb) + " " + path);
    }
    bool answer = true;
    bool hasTemplate = true;
    bool translation = false;
    std::vector<std::string> calls;
    std::string script;
};

TEST(InstallerScript, CommandAsksSavesWritesCompilesAndOpens) {
    RecordingHost host;
    CreateInstallerScript(host, kUserInstallerTemplate, "C:\\Tools");
    const std::vector<std::string> all = {"ask",
                                          "save",
                                          "load 115",
                                          "exists C:\\Tools\\Velocimark_lng.ini",
                                          "write C:\\Tools\\velocimark.nsi",
                                          "compile C:\\Tools\\velocimark.nsi",
                                          "open C:\\Tools\\"};
    EXPECT_EQ(all, host.calls);
    EXPECT_EQ("dir=C:\\Tools\r\n\r\n", host.script);

    RecordingHost declined;
    declined.answer = false;
    CreateInstallerScript(declined, kMachineInstallerTemplate, "C:\\Tools");
    EXPECT_EQ(std::vector<std::string>{"ask"}, declined.calls);

    RecordingHost missing;
    missing.hasTemplate = false;
    CreateInstallerScript(missing, kMachineInstallerTemplate, "C:\\Tools");
    EXPECT_EQ((std::vector<std::string>{"ask", "save", "load 114"}), missing.calls);

    // A folder too long for the file names: no translation file, and an empty script path.
    RecordingHost deep;
    const std::string folder(kMaxInstallerPath - 10, 'd');
    CreateInstallerScript(deep, kMachineInstallerTemplate, folder);
    EXPECT_EQ((std::vector<std::string>{"ask", "save", "load 114", "write ", "compile ",
                                        "open " + folder + "\\"}),
              deep.calls);
    EXPECT_EQ("", FileBesideProgram(std::string(kMaxInstallerPath - 14, 'd'), kInstallerScriptName));
    EXPECT_NE("", FileBesideProgram(std::string(kMaxInstallerPath - 15, 'd'), kInstallerScriptName));
}

#ifndef _WIN32
// The generated scripts are real installer scripts: NSIS compiles both kinds, with and
// without a translation file, from a folder of placeholder files.
TEST(InstallerScript, BothScriptsCompileWithMakensis) {
    if (std::system("command -v makensis >/dev/null 2>&1") != 0) GTEST_SKIP() << "no makensis";
    char folderTemplate[] = "/tmp/vm_installer_XXXXXX";
    const char* made = mkdtemp(folderTemplate);
    ASSERT_NE(nullptr, made);
    const std::string folder = made;
    for (const char* name : {"Velocimark.exe", "Velocimark.chm", "readme.txt", "Velocimark.cfg",
                             "Velocimark_lng.ini"}) {
        std::ofstream(folder + "/" + name) << "placeholder\r\n";
    }
    for (int id : {kMachineInstallerTemplate, kUserInstallerTemplate}) {
        for (bool translation : {true, false}) {
            const std::string script = folder + "/velocimark.nsi";
            std::ofstream(script, std::ios::binary)
                << BuildInstallerScript(Template(id), folder, translation);
            const std::string setup = folder + "/velocimark_setup.exe";
            std::remove(setup.c_str());
            const std::string command = "makensis -V1 '" + script + "' >/dev/null 2>&1";
            EXPECT_EQ(0, std::system(command.c_str())) << id << " " << translation;
            EXPECT_EQ("MZ", ReadBytes(setup).substr(0, 2)) << id << " " << translation;
        }
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}
#endif

}  // namespace
}  // namespace vm
