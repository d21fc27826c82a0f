#include "core/engine/ReadJob.h"

#include "core/engine/TransferContext.h"
#include "core/engine/TransferEvent.h"

namespace vm {

void ReadJob::StampAccepted() {
    record->StampAccepted();
    progressTick_ = record->acceptedTick.load();
}

bool ReadJob::CountBlock(uint32_t count) {
    const uint64_t total = record->bytesRead.fetch_add(count) + count;
    const uint32_t now = record->context.clock.TickCount();
    record->dataTick.store(now);
    record->dataMicro.store(record->context.clock.MicroCount());
    if ((record->flags & kTransferPostProgress) != 0 && now - progressTick_ >= kProgressPostMs) {
        progressTick_ = now;
        record->Post(EV_PROGRESS);  // a lost one is harmless: the next carries the count
    }
    return total >= stopAtBytes;
}

}  // namespace vm
