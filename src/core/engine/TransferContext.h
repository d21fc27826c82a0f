#pragma once
#include <cstdint>

#include "core/engine/LiveTransferRegistry.h"
#include "core/engine/PathCapture.h"
#include "core/platform/Clock.h"
#include "core/platform/InternetLibrary.h"
#include "core/platform/LatencyProber.h"
#include "core/platform/LocalFileApi.h"

namespace vm {

// What transfers share: the platform, the registry of live transfers and the one root
// handle, which lives while any transfer uses it. The program has one of these; tests
// make their own around fakes. It outlives every transfer and record. The root and its
// count are the GUI thread's; the library, the clock and the trace flag are used on
// library threads (callbacks) and workers (reads) too, and the registry by all of them.
class TransferContext {
public:
    TransferContext(InternetLibrary& net, LocalFileApi& files, Clock& clock)
        : net(net), files(files), clock(clock), registry(net) {}
    ~TransferContext();

    InternetLibrary& net;
    LocalFileApi& files;
    Clock& clock;
    LiveTransferRegistry registry;
    // Every change of a transfer's state and of a run's item status goes to the
    // library's debug output by name ("transfer 3 phase PendingOpen -> None").
    bool traceChanges = false;
    // The latency probes' requests; none: items are not probed.
    LatencyProber* prober = nullptr;
    // The address each server was connected to, for attempts the library tells none.
    AddressBook addresses;

    // Opens the root when there is none (a failed open is tried again next time) and
    // counts one more user.
    void AcquireRoot();
    void ReleaseRoot();
    InternetHandle Root() const { return root_; }
    // The error of the last failed root open.
    uint32_t RootError() const { return rootError_; }
    uint32_t RootUsers() const { return rootUsers_; }

private:
    InternetHandle root_ = 0;
    uint32_t rootUsers_ = 0;
    uint32_t rootError_ = 0;
};

}  // namespace vm
