// The main window's commands that write the selected rows somewhere: a file the user
// picks, or the clipboard.
#include "win32/app/MainWindow.h"

#include "core/lang/StringTable.h"
#include "core/report/ReportFormat.h"
#include "win32/platform/Clipboard.h"
#include "win32/platform/TempFile.h"
#include "win32/window/FileChooser.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

constexpr char kClipboardTempPrefix[] = "cp";
constexpr char kSaveDefaultExtension[] = "txt";

}  // namespace

void MainWindow::SaveSelectedItems() {
    std::string filters;
    BuildReportFilterList(&filters);  // too long a translation leaves the dialog without filters
    int filterIndex = settings_.SaveFilterIndex;
    std::string path;
    const bool chosen = ChooseSaveFile(Handle(), &filterIndex, &path, filters,
                                       GetString(IDS_SELECT_SAVE_FILE), kSaveDefaultExtension);
    if (chosen) {
        settings_.SaveFilterIndex = filterIndex;
        WriteReportFile(filterIndex, path, true);
    }
    // The closed chooser (or an error box) leaves the focus on the frame; the list is where
    // the user was.
    SetFocus(listControl_.Handle());
}

void MainWindow::CopySelectedItems() {
    std::string path;
    const uint32_t tempError = CreateTempFile(kClipboardTempPrefix, &path);
    if (tempError != 0) {
        ShowErrorBox(tempError, Handle());
        return;
    }
    if (WriteReportFile(kReportTabDelimited, path, true)) {
        uint32_t error = 0;
        if (!OpenClipboard(Handle())) {
            error = GetLastError();
            if (error == 0) error = ERROR_ACCESS_DENIED;
        } else {
            error = CopyFileToClipboard(path);
        }
        if (error != 0) ShowErrorBox(error, Handle());
    }
    files_.Remove(path);
}

}  // namespace vm
