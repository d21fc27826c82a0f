#include "win32/window/CrashReport.h"

#include <cstring>

#include "core/diag/CrashReportText.h"
#include "resource.h"
#include "win32/window/FrameWindow.h"

namespace vm {
namespace {

constexpr size_t kSavedRecordBytes = 80;  // code, flags, nested record, address, parameters
static_assert(sizeof(CONTEXT) == 716, "the x86 thread context");
static_assert(sizeof(EXCEPTION_RECORD) >= kSavedRecordBytes, "the x86 exception record");

// One per process: the dialog shows the fault that opened it.
struct CrashSnapshot {
    EXCEPTION_RECORD record;
    CONTEXT context;
};
CrashSnapshot gSnapshot;
bool gReportOpen = false;
INT_PTR gLastResult = 0;

bool ReadOwnMemory(DWORD address, uint8_t* bytes, size_t count) {
    SIZE_T read = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address), bytes,
                             count, &read) &&
           read == count;
}

std::string DumpAt(DWORD address, size_t groupSize) {
    uint8_t bytes[kCrashDumpBytes];
    if (!ReadOwnMemory(address, bytes, sizeof bytes)) return std::string();
    return HexDump(bytes, sizeof bytes, groupSize);
}

std::string ReportText() {
    const CONTEXT& c = gSnapshot.context;
    CrashFacts facts;
    facts.code = gSnapshot.record.ExceptionCode;
    facts.address =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gSnapshot.record.ExceptionAddress));
    facts.eax = c.Eax;
    facts.ebx = c.Ebx;
    facts.ecx = c.Ecx;
    facts.edx = c.Edx;
    facts.esi = c.Esi;
    facts.edi = c.Edi;
    facts.ebp = c.Ebp;
    facts.esp = c.Esp;
    facts.eip = c.Eip;
    facts.stackText = DumpAt(c.Esp, 4);
    facts.codeText = DumpAt(c.Eip, 0);
    facts.moduleName = ModuleNameAt(facts.address);
    return FormatCrashReport(facts);
}

// Not a framework dialog: it must work while the framework is what failed, and it is
// never translated.
INT_PTR CALLBACK CrashDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            CenterOnScreen(dialog);
            SetDlgItemTextA(dialog, IDC_CRASH_TEXT, ReportText().c_str());
            SetFocus(GetDlgItem(dialog, IDC_CRASH_TEXT));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_COPY_EXCEPTION: {
                    HWND text = GetDlgItem(dialog, IDC_CRASH_TEXT);
                    SendMessageA(text, EM_SETSEL, 0, 0xFFFF);
                    SendMessageA(text, WM_COPY, 0, 0);
                    SendMessageA(text, EM_SETSEL, 0, 0);
                    return TRUE;
                }
                case kCrashContinue:
                case kCrashTerminate:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

LONG ReportCrash(EXCEPTION_POINTERS* exception, HWND window) {
    if (gReportOpen) return EXCEPTION_EXECUTE_HANDLER;
    std::memset(&gSnapshot, 0, sizeof gSnapshot);
    std::memcpy(&gSnapshot.record, exception->ExceptionRecord, kSavedRecordBytes);
    std::memcpy(&gSnapshot.context, exception->ContextRecord, sizeof(CONTEXT));
    gReportOpen = true;
    gLastResult = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CRASH_REPORT),
                                  window, CrashDialogProc, 0);
    gReportOpen = false;
    return EXCEPTION_EXECUTE_HANDLER;
}

INT_PTR LastCrashDialogResult() { return gLastResult; }

}  // namespace vm
