#include "core/engine/ReadJob.h"

#include <chrono>
#include <thread>

#include "core/engine/TransferEvent.h"

namespace vm {

void ReadJob::Post(uint32_t code, uint32_t errorCode) {
    if ((flags & kTransferPostEvents) == 0) return;
    if (errorCode != 0) error.store(errorCode);
    if (poster.PostEvent(window, message, code, serial) || code == EV_PROGRESS) return;
    // A full message queue must not swallow the end of the attempt: try again while the
    // receiver drains it. A lost progress event is harmless, the next one carries the count.
    for (uint32_t i = 0; i < kPostRetries && !stopped.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPostRetryMs));
        if (poster.PostEvent(window, message, code, serial)) return;
    }
}

void ReadJob::StampAccepted() {
    if (clock == nullptr) return;
    acceptedTime.store(clock->SystemTimeUtc());
    acceptedTick.store(clock->TickCount());
    acceptedMicro.store(clock->MicroCount());
    dataTick.store(acceptedTick.load());
    dataMicro.store(acceptedMicro.load());
    progressTick_ = acceptedTick.load();
}

bool ReadJob::CountBlock(uint32_t count) {
    const uint64_t total = bytesRead.fetch_add(count) + count;
    if (clock != nullptr) {
        const uint32_t now = clock->TickCount();
        dataTick.store(now);
        dataMicro.store(clock->MicroCount());
        if ((flags & kTransferPostProgress) != 0 && now - progressTick_ >= kProgressPostMs) {
            progressTick_ = now;
            Post(EV_PROGRESS);
        }
    }
    return total >= stopAtBytes;
}

}  // namespace vm
