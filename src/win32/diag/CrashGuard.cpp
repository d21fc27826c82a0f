#include "diag/CrashGuard.h"

namespace vm {

// No fault trap yet: the handler runs as it is.
LRESULT RunGuarded(HWND, GuardedHandler handler, void* context, bool* faulted) {
    if (faulted != nullptr) *faulted = false;
    return handler(context);
}

}  // namespace vm
