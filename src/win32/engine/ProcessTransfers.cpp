#include "engine/ProcessTransfers.h"

#include "engine/WinClock.h"
#include "engine/WinInternetLibrary.h"
#include "engine/WinLocalFileApi.h"

namespace vm {

TransferContext& ProcessTransfers() {
    struct Parts {
        WinInternetLibrary net;
        WinLocalFileApi files;
        WinClock clock;
        TransferContext context{net, files, clock};
        Parts() { net.BindRegistry(&context.registry); }
    };
    // Never destroyed: library threads and workers may still report during exit.
    static Parts* parts = new Parts();
    return parts->context;
}

}  // namespace vm
