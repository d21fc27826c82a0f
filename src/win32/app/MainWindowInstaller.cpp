#include "win32/app/MainWindow.h"
#include "win32/installer/InstallerCommand.h"
#include "win32/window/ShellUtil.h"

namespace vm {

void MainWindow::CreateInstaller(int templateId) {
    WinInstallerHost host(Handle(), [this] { ExchangeConfiguration(true); });
    CreateInstallerScript(host, templateId, ProgramFolder());
}

}  // namespace vm
