#include "win32/app/ProgramMain.h"

#include <windows.h>
#include <commctrl.h>

#include "core/app/ExitCode.h"
#include "core/app/StartupOptions.h"
#include "core/base/ArgumentList.h"
#include "core/base/CompanionFileName.h"
#include "core/lang/FileVersionText.h"
#include "core/lang/LanguageFile.h"
#include "resource.h"
#include "win32/app/MainWindow.h"
#include "win32/dialogs/FindDialog.h"
#include "win32/engine/HandleCloser.h"
#include "win32/engine/WinLocalFileApi.h"
#include "win32/lang/ResourceLanguageTexts.h"
#include "win32/lang/WinVersionResource.h"
#include "win32/platform/WinCodePage.h"
#include "win32/platform/WinFileSystem.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

// How long the end of the program waits for its workers and the Internet handles still
// closing, together.
constexpr uint32_t kExitCloseWaitMs = 5000;

bool InitCommonControlClasses() {
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = comctl != nullptr ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(
                                        GetProcAddress(comctl, "InitCommonControlsEx")))
                                  : nullptr;
    bool ok = true;
    if (init != nullptr) {
        INITCOMMONCONTROLSEX classes = {8, 255};
        ok = init(&classes) != FALSE;
    } else {
        InitCommonControls();
    }
    if (comctl != nullptr) FreeLibrary(comctl);
    return ok;
}

// Whether a top-level window can be made at all: a small one of a system class, at once
// destroyed. The main window's creation starts an export's run, so it is not the probe.
bool DisplayAvailable() {
    HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (probe == nullptr) return false;
    DestroyWindow(probe);
    return true;
}

int RunMessageLoop(MainWindow& window, HACCEL accelerators) {
    MSG msg;
    int exitCode = 0;
    while (true) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        // Keys typed into the Find dialog are its own: Del or Ctrl+C there must not act on
        // the download list.
        if (accelerators != nullptr && !IsFindDialogMessage(msg) &&
            TranslateAcceleratorA(window.Handle(), accelerators, &msg)) {
            continue;
        }
        HWND find = ActiveFindDialog();
        if (find != nullptr && IsDialogMessageA(find, &msg)) continue;
        if (IsDialogMessageA(window.Handle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return exitCode;
}

}  // namespace

// Long because start-up is one sequence of steps in their order, each with its early exit.
int ProgramMain(const char* commandLine) {
    if (!InitCommonControlClasses()) {
        MessageBoxA(nullptr, "Error: Cannot load the common control classes.", "Error",
                    MB_ICONWARNING);
        return 1;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    static const WinCodePage codePage;
    SetSystemCodePage(&codePage);  // before any text is read or compared
    ArgumentList arguments;
    arguments.Parse(commandLine);
    const StartupOptions options = ReadStartupOptions(arguments);
    WinFileSystem files;
    if (options.saveLangFile) {
        WinVersionResource version(ProgramPath());
        ResourceLanguageTexts resources(GetModuleHandleA(nullptr));
        SaveLanguageFile(files, CompanionFileName(ProgramPath(), kLanguageFileSuffix),
                         FileVersionText(version), &resources);
        return 0;
    }
    LoadLanguageFile(files, ProgramPath());
    if (options.deleteRegKey) return 0;
    // A start nobody sees ends at once when it cannot do what it was asked: a misspelt
    // /config (2) outranks a switch without its value or an unknown one (3).
    if (arguments.Find(switch_name::kHidden) >= 0) {
        const ConfigSession session =
            MakeConfigSession(files, ProgramPath(), CurrentDirectory(), options);
        if (NamedConfigMissing(files, session, options)) {
            return static_cast<int>(ExitCode::ConfigUnreadable);
        }
    }
    if (HiddenWithoutExport(arguments, options)) return static_cast<int>(ExitCode::NoExportToDo);

    MainWindow window(arguments, options);
    // Without a display (Wine with no display and no null graphics driver) no window can be
    // made; an export nobody watches then runs in a message-only window, which needs none.
    // Anything else without a window ends with a code of its own that tells a script why.
    const bool unseenExport = options.hidden && options.exportMode != 0;
    const HWND parent = unseenExport && !DisplayAvailable() ? HWND_MESSAGE : nullptr;
    if (!window.Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, parent)) {
        return static_cast<int>(ExitCode::WindowNotCreated);
    }
    int show = SW_SHOW;
    if (options.hidden) {
        show = SW_HIDE;
    } else if (window.LoadedShowCommand() == kShowMaximized) {
        show = SW_MAXIMIZE;
    }
    ShowWindow(window.Handle(), show);
    UpdateWindow(window.Handle());
    HACCEL accelerators =
        LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    const int exitCode = RunMessageLoop(window, accelerators);
    // The run's transfers are gone by now; their workers are ending and their handles are
    // closing. An FTP close cut short by the end of the process would leave Wine's server
    // spinning.
    const DWORD waitStart = GetTickCount();
    (void)WaitForWorkers(kExitCloseWaitMs);
    const DWORD waited = GetTickCount() - waitStart;
    (void)WaitForBackgroundCloses(waited < kExitCloseWaitMs ? kExitCloseWaitMs - waited : 0);
    return exitCode;
}

}  // namespace vm
