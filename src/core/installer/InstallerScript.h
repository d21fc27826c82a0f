#pragma once
#include <string>
#include <string_view>

namespace vm {

// Template resources of the two installer commands (type "BIN").
constexpr int kMachineInstallerTemplate = 114;  // per-machine, "Create NSIS Installation"
constexpr int kUserInstallerTemplate = 115;     // per-user, "Create Non-Admin NSIS Installation"

constexpr char kInstallerScriptName[] = "velocimark.nsi";
constexpr char kInstallerTranslationName[] = "Velocimark_lng.ini";
constexpr char kSourceFolderPlaceholder[] = "%source_dir%";
constexpr char kTranslationFileLine[] = "File \"${BASE_SOURCE_DIR}\\Velocimark_lng.ini\"";
constexpr char kTranslationDeleteLine[] = "Delete $INSTDIR\\Velocimark_lng.ini";
// Longest path of a file written beside the program.
constexpr size_t kMaxInstallerPath = 259;

// Replaces the first byte-exact occurrence of the pattern; false (text unchanged) without one.
bool ReplaceFirst(std::string& text, std::string_view pattern, std::string_view replacement);

// D + "\" + name, or empty when that would be longer than kMaxInstallerPath.
std::string FileBesideProgram(const std::string& programFolder, std::string_view name);

// The script: the template up to its first NUL with the program folder in place of the
// placeholder and, without a translation file, the two lines that handle it emptied
// (their line ends stay).
std::string BuildInstallerScript(std::string_view templateText, const std::string& programFolder,
                                 bool translationExists);

// What the installer command needs from the program and the platform.
class InstallerHost {
public:
    virtual ~InstallerHost() = default;
    virtual bool ConfirmCreation() = 0;  // the Yes/No question
    virtual void SaveConfiguration() = 0;
    [[nodiscard]] virtual bool LoadTemplate(int templateId, std::string* text) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual void WriteScript(const std::string& path, const std::string& text) = 0;
    virtual void RunShellVerb(const char* verb, const std::string& path) = 0;
};

// The command: asks, saves the configuration, writes the script beside the program, asks
// the shell to compile it and opens the program folder. Failures are silent.
void CreateInstallerScript(InstallerHost& host, int templateId, const std::string& programFolder);

}  // namespace vm
