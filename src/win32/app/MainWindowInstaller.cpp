#include "app/MainWindow.h"
#include "installer/InstallerCommand.h"
#include "ui/ShellUtil.h"

namespace vm {

void MainWindow::CreateInstaller(int templateId) {
    WinInstallerHost host(Handle(), [this] { ExchangeConfiguration(true); });
    CreateInstallerScript(host, templateId, ProgramFolder());
}

}  // namespace vm
