#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "core/installer/InstallerScript.h"

namespace vm {

// The installer command on Windows: the question box, the program's "BIN" template
// resources, files beside the program and the shell's verbs.
class WinInstallerHost : public InstallerHost {
public:
    WinInstallerHost(HWND owner, std::function<void()> saveConfiguration)
        : owner_(owner), saveConfiguration_(std::move(saveConfiguration)) {}

    bool ConfirmCreation() override;
    void SaveConfiguration() override;
    bool LoadTemplate(int templateId, std::string* text) override;
    bool FileExists(const std::string& path) override;
    void WriteScript(const std::string& path, const std::string& text) override;
    void RunShellVerb(const char* verb, const std::string& path) override;

private:
    HWND owner_;
    std::function<void()> saveConfiguration_;
};

}  // namespace vm
