#include "win32/window/CrashGuard.h"

#include "win32/window/CrashReport.h"

namespace vm {
namespace {

// How the guard traps faults on i686.
//
// GCC has no __try/__except, so the guard builds by hand what such a block compiles to:
// an exception registration record on the stack, linked at the head of the thread's
// handler chain (NT_TIB::ExceptionList, fs:[0]) for the duration of the handler call.
// The system walks that chain only for exceptions that no frame nearer the fault took
// care of, which is exactly when a crash report is wanted; a vectored handler would see
// every first-chance exception, also those that Windows, Wine or a library catch for
// themselves. When the record's routine is asked about an exception it runs the crash
// report (the "filter"), lets the system unwind every frame between the fault and the
// record (RtlUnwind, so their cleanup runs and the chain ends at this record), then jumps
// back into RunGuarded with GCC's __builtin_longjmp, which restores the stack and frame
// pointers saved by __builtin_setjmp before the call. The executable has no SafeSEH table
// and is not marked "no SEH", so Windows accepts the routine; Wine walks the same chain.
struct GuardFrame {
    EXCEPTION_REGISTRATION_RECORD record;  // first: the system hands back its address
    void* jump[5];                         // __builtin_setjmp's buffer
    HWND window;
};

// The thread information block points to itself at fs:[0x18].
NT_TIB* ThreadInfo() {
    NT_TIB* tib;
    asm("movl %%fs:0x18, %0" : "=r"(tib));
    return tib;
}

// RtlUnwind on x86 does not keep ebx, esi and edi for its caller; save them around it.
__attribute__((noinline)) void UnwindTo(void* frame, EXCEPTION_RECORD* record) {
    asm volatile(
        "pushl %%ebx\n\t"
        "pushl %%esi\n\t"
        "pushl %%edi\n\t"
        "pushl %%ebp\n\t"
        "pushl $0\n\t"
        "pushl %1\n\t"
        "pushl $0\n\t"
        "pushl %0\n\t"
        "call _RtlUnwind@16\n\t"
        "popl %%ebp\n\t"
        "popl %%edi\n\t"
        "popl %%esi\n\t"
        "popl %%ebx"
        :
        : "r"(frame), "r"(record)
        : "eax", "ecx", "edx", "memory", "cc");
}

EXCEPTION_DISPOSITION __cdecl GuardRoutine(EXCEPTION_RECORD* record, void* establisher,
                                           CONTEXT* context, void*) {
    if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) {
        return ExceptionContinueSearch;
    }
    auto* frame = static_cast<GuardFrame*>(establisher);
    EXCEPTION_POINTERS pointers{record, context};
    ReportCrash(&pointers, frame->window);
    UnwindTo(frame, record);
    __builtin_longjmp(frame->jump, 1);
}

}  // namespace

LRESULT RunGuarded(HWND window, GuardedHandler handler, void* context, bool* faulted) {
    if (faulted != nullptr) *faulted = false;
    GuardFrame frame;
    frame.window = window;
    frame.record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(GuardRoutine);
    volatile NT_TIB* tib = ThreadInfo();
    frame.record.Next = tib->ExceptionList;
    if (__builtin_setjmp(frame.jump) != 0) {
        // Back from a fault: the unwind left this record at the head of the chain.
        ThreadInfo()->ExceptionList = frame.record.Next;
        if (faulted != nullptr) *faulted = true;
        if (LastCrashDialogResult() == kCrashTerminate) ExitProcess(1);
        return 0;
    }
    tib->ExceptionList = &frame.record;
    const LRESULT result = handler(context);
    tib->ExceptionList = frame.record.Next;
    return result;
}

}  // namespace vm
