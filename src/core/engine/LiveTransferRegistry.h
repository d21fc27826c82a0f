#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/engine/ReadSlot.h"
#include "core/platform/InternetLibrary.h"

namespace vm {

class TransferRecord;

// The transfers that exist, by serial number, each by the record of what its callbacks
// may touch. Library threads reach a transfer only through DispatchStatus, which holds
// the record for as long as the callback runs: a transfer destroyed meanwhile only
// unregisters, and the record goes with the callback's last use, so no callback ever
// reaches freed memory and no destruction waits for one. Serials are never reused, so
// an event of a destroyed transfer cannot reach a new one created at the same address.
// Used from the GUI thread and library threads alike.
class LiveTransferRegistry {
public:
    explicit LiveTransferRegistry(InternetLibrary& net) : net_(net) {}

    // Registers the transfer's record, gives it its serial (1, 2, 3 ...) and returns it.
    uint32_t Register(std::shared_ptr<TransferRecord> record);
    // After this no callback starts on the transfer. With openPending, the open still on
    // its way is closed when it completes: the handle it delivers, or, when it fails, the
    // handle the library announced for it.
    void Unregister(uint32_t serial, bool openPending);
    bool IsLive(uint32_t serial) const;
    size_t LiveCount() const;
    // The handle the library announced for the serial's open (0: none), forgotten here:
    // the open has completed and the transfer owns what it delivered, or it failed and
    // the caller closes this one.
    InternetHandle TakeAnnounced(uint32_t serial);
    // Opens abandoned and still on their way, and handles announced and not taken back.
    size_t PendingCount() const;

    // Keeps the slot of a pending operation until the handle reports that it is closing.
    void Retire(InternetHandle request, std::shared_ptr<ReadSlot> slot);
    size_t RetiredCount() const;

    // The status callback, on a library thread; context is the serial. info: the text a
    // status hands over (the connected address), empty for others.
    void DispatchStatus(uint32_t serial, InternetHandle handle, uint32_t status, uintptr_t result,
                        uint32_t error, std::string_view info = {});

private:
    InternetLibrary& net_;
    mutable std::mutex mutex_;
    uint32_t lastSerial_ = 0;
    std::unordered_map<uint32_t, std::shared_ptr<TransferRecord>> live_;
    std::unordered_set<uint32_t> abandonedOpens_;
    std::unordered_map<uint32_t, InternetHandle> announced_;
    std::vector<std::pair<InternetHandle, std::shared_ptr<ReadSlot>>> retired_;
};

}  // namespace vm
