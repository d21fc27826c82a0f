#include "win32/installer/InstallerCommand.h"

#include <shellapi.h>

#include "core/lang/StringTable.h"
#include "core/platform/FileReplacement.h"
#include "win32/platform/WinFileSystem.h"
#include "win32/window/FrameWindow.h"

namespace vm {

bool WinInstallerHost::ConfirmCreation() {
    return AskYesNo(owner_, GetString(IDS_ASK_CREATE_INSTALLER)) == IDYES;
}

void WinInstallerHost::SaveConfiguration() {
    if (saveConfiguration_) saveConfiguration_();
}

bool WinInstallerHost::LoadTemplate(int templateId, std::string* text) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), "BIN");
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const char* bytes =
        loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr) return false;
    text->assign(bytes, SizeofResource(module, found));
    return true;
}

bool WinInstallerHost::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WinInstallerHost::WriteScript(const std::string& path, const std::string& text) {
    WinFileSystem files;
    uint32_t error = 0;
    // Through the program's one writer: an older script stays whole if this one fails.
    (void)WriteFileReplacing(
        files, path, [&text](OutputFile& out) { return out.Write(text); }, &error);
}

void WinInstallerHost::RunShellVerb(const char* verb, const std::string& path) {
    ShellExecuteA(owner_, verb, path.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace vm
