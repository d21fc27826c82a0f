#pragma once
#include <vector>

#include "core/engine/DownloadTransfer.h"
#include "core/engine/TransferContext.h"
#include "core/engine/TransferEvent.h"
#include "support/FakeClock.h"
#include "support/FakeLocalFiles.h"
#include "support/ScriptedInternet.h"

namespace vm::test {

// A transfer context over the scripted library, fake files and a fake clock.
struct TransferHarness {
    FakeClock clock;
    ScriptedInternet net{clock};
    FakeLocalFiles files;
    TransferContext context{net, files, clock};

    // The library announces the latest open's handle before the open completes.
    void AnnounceOpen(uint32_t serial) {
        context.registry.DispatchStatus(serial, 0, kStatusHandleCreated, net.LastRequest(), 0);
    }
    // The library's completion of the latest open, on "its thread".
    void CompleteOpen(uint32_t serial, uint32_t error = 0) {
        const InternetHandle h = net.LastRequest();
        context.registry.DispatchStatus(serial, h, kStatusRequestComplete, error ? 0 : h, error);
    }
    // Hands the posted events of the transfer to it, as the window would.
    void Pump(DownloadTransfer& t) {
        PostedEvent e;
        while (net.PopEvent(&e)) {
            if (e.serial == t.Serial() && e.code >= kFirstInternalEvent)
                t.HandleInternalEvent(e.code);
        }
    }
};

}  // namespace vm::test
