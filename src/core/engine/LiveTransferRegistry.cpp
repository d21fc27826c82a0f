#include "core/engine/LiveTransferRegistry.h"

#include "core/engine/TransferRecord.h"

namespace vm {

uint32_t LiveTransferRegistry::Register(std::shared_ptr<TransferRecord> record) {
    std::lock_guard<std::mutex> lock(mutex_);
    do {
        ++lastSerial_;  // 0 means "none"; after a wrap, serials still in use are skipped
    } while (lastSerial_ == 0 || live_.count(lastSerial_) != 0 ||
             abandonedOpens_.count(lastSerial_) != 0);
    record->serial = lastSerial_;
    live_[lastSerial_] = std::move(record);
    return lastSerial_;
}

void LiveTransferRegistry::Unregister(uint32_t serial, bool openPending) {
    std::lock_guard<std::mutex> lock(mutex_);
    live_.erase(serial);
    if (openPending) {
        abandonedOpens_.insert(serial);
    } else {
        // An open refused at once: the library has closed whatever it made.
        announced_.erase(serial);
    }
}

bool LiveTransferRegistry::IsLive(uint32_t serial) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.count(serial) != 0;
}

size_t LiveTransferRegistry::LiveCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.size();
}

InternetHandle LiveTransferRegistry::TakeAnnounced(uint32_t serial) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = announced_.find(serial);
    if (it == announced_.end()) return 0;
    const InternetHandle handle = it->second;
    announced_.erase(it);
    return handle;
}

size_t LiveTransferRegistry::PendingCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return abandonedOpens_.size() + announced_.size();
}

void LiveTransferRegistry::Retire(InternetHandle request, std::shared_ptr<ReadSlot> slot) {
    std::lock_guard<std::mutex> lock(mutex_);
    retired_.emplace_back(request, std::move(slot));
}

size_t LiveTransferRegistry::RetiredCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return retired_.size();
}

void LiveTransferRegistry::DispatchStatus(uint32_t serial, InternetHandle handle, uint32_t status,
                                          uintptr_t result, uint32_t error, std::string_view info) {
    std::shared_ptr<TransferRecord> record;  // held until the callback is done with it
    InternetHandle orphan = 0;
    std::shared_ptr<ReadSlot> released;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = live_.find(serial);
        if (status == kStatusHandleCreated) {
            if (it != live_.end() || abandonedOpens_.count(serial) != 0)
                announced_[serial] = result;
        } else if (it != live_.end()) {
            record = it->second;
        } else if (status == kStatusRequestComplete && abandonedOpens_.erase(serial) != 0) {
            auto announced = announced_.find(serial);
            if (error == 0 && result != 0) {
                orphan = result;  // the request handle nobody will use
            } else if (announced != announced_.end()) {
                orphan = announced->second;  // a failed open leaves its handle to us
            }
            if (announced != announced_.end()) announced_.erase(announced);
        }
        if (status == kStatusHandleClosing) {
            for (auto r = retired_.begin(); r != retired_.end(); ++r) {
                if (r->first == handle) {
                    released = std::move(r->second);  // freed outside the lock
                    retired_.erase(r);
                    break;
                }
            }
        }
    }
    if (status == kStatusHandleCreated) {
        // Wine gives a request made by an URL open no receive time-out at all, whatever the
        // root says: a server that never answers keeps one of the library's threads (about
        // 1 MB) waiting for good, long after the attempt was given up. The handle is
        // announced before the request is sent, so the wait for the answer gets the
        // library's usual time-out. (FTP handles take no such option: the failure is
        // ignored.)
        if (result != 0)
            (void)net_.SetTimeoutOption(result, kInternetOptionReceiveTimeout, kInternetTimeoutMs);
        return;
    }
    if (record) record->OnStatus(handle, status, result, error, info);
    if (orphan != 0) net_.CloseHandle(orphan);
}

}  // namespace vm
