#include "win32/engine/ProcessTransfers.h"

#include "win32/engine/WinInternetLibrary.h"
#include "win32/engine/WinLatencyProber.h"
#include "win32/engine/WinLocalFileApi.h"
#include "win32/platform/WinClock.h"

namespace vm {

TransferContext& ProcessTransfers() {
    struct Parts {
        WinInternetLibrary net;
        WinLocalFileApi files;
        WinClock clock;
        WinLatencyProber prober;
        TransferContext context{net, files, clock};
        Parts() {
            net.BindRegistry(&context.registry);
            context.prober = &prober;
        }
    };
    // Never destroyed: library threads and workers may still report during exit.
    static Parts* parts = new Parts();
    return parts->context;
}

}  // namespace vm
