#include "core/installer/InstallerScript.h"

namespace vm {

bool ReplaceFirst(std::string& text, std::string_view pattern, std::string_view replacement) {
    const size_t at = text.find(pattern);
    if (pattern.empty() || at == std::string::npos) return false;
    text.replace(at, pattern.size(), replacement);
    return true;
}

std::string FileBesideProgram(const std::string& programFolder, std::string_view name) {
    if (programFolder.size() + 1 + name.size() > kMaxInstallerPath) return std::string();
    return programFolder + "\\" + std::string(name);
}

std::string BuildInstallerScript(std::string_view templateText, const std::string& programFolder,
                                 bool translationExists) {
    std::string script(templateText.substr(0, templateText.find('\0')));
    ReplaceFirst(script, kSourceFolderPlaceholder, programFolder);
    if (!translationExists) {
        ReplaceFirst(script, kTranslationFileLine, "");
        ReplaceFirst(script, kTranslationDeleteLine, "");
    }
    return script;
}

void CreateInstallerScript(InstallerHost& host, int templateId, const std::string& programFolder) {
    if (!host.ConfirmCreation()) return;
    // The package takes the configuration file as it is on disk: bring it up to date first.
    host.SaveConfiguration();
    std::string templateText;
    if (!host.LoadTemplate(templateId, &templateText)) return;
    const std::string scriptPath = FileBesideProgram(programFolder, kInstallerScriptName);
    const std::string translationPath = FileBesideProgram(programFolder, kInstallerTranslationName);
    const bool translationExists = !translationPath.empty() && host.FileExists(translationPath);
    host.WriteScript(scriptPath,
                     BuildInstallerScript(templateText, programFolder, translationExists));
    host.RunShellVerb("compile", scriptPath);
    host.RunShellVerb("open", programFolder + "\\");
}

}  // namespace vm
