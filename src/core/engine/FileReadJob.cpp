#include "core/engine/FileReadJob.h"

#include <chrono>
#include <thread>
#include <vector>

#include "core/engine/TransferEvent.h"

namespace vm {

void FileReadJob::Post(uint32_t code, uint32_t errorCode) {
    if ((flags & kTransferPostEvents) == 0) return;
    if (errorCode != 0) error.store(errorCode);
    if (poster.PostEvent(window, message, code, serial) || code == EV_PROGRESS) return;
    // A full message queue (a fast disk floods it with progress) must not swallow the
    // end of the attempt: try again while the receiver drains it. A lost progress event
    // is harmless, the next one carries the count.
    for (uint32_t i = 0; i < kPostRetries && !stopped.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPostRetryMs));
        if (poster.PostEvent(window, message, code, serial)) return;
    }
}

void FileReadJob::Run() {
    FileRef file = 0;
    uint32_t openError = 0;
    if (!files.OpenUnbuffered(path.c_str(), &file, &openError)) {
        Post(EV_FAILED, openError);
        ended.store(true);
        return;
    }
    fileOpen.store(true);
    if (clock != nullptr) {
        acceptedTime.store(clock->SystemTimeUtc());
        acceptedTick.store(clock->TickCount());
        dataTick.store(acceptedTick.load());
    }
    Post(EV_RESPONSE_ACCEPTED);
    contentLength.store(files.FileSize(file));

    std::vector<unsigned char> storage(kFileBlockSize + kSectorAlignment, 0);
    const uintptr_t base = reinterpret_cast<uintptr_t>(storage.data());
    unsigned char* block =
        storage.data() + ((kSectorAlignment - base % kSectorAlignment) % kSectorAlignment);
    const bool postProgress = (flags & kTransferPostProgress) != 0 && clock != nullptr;
    uint32_t progressTick = dataTick.load();
    for (;;) {
        uint32_t count = 0;
        if (!files.ReadBlock(file, block, kFileBlockSize, &count)) break;
        if (stopped.load() || count == 0) break;
        const uint64_t total = bytesRead.fetch_add(count) + count;
        if (clock != nullptr) {
            const uint32_t now = clock->TickCount();
            dataTick.store(now);
            if (postProgress && now - progressTick >= kFileProgressMs) {
                progressTick = now;
                Post(EV_PROGRESS);
            }
        }
        if (total >= stopAtBytes) break;
    }
    // The worker alone closes the file: closing it from the GUI thread while a read may
    // still start on it could hand that read a recycled handle.
    files.CloseFile(file);
    fileOpen.store(false);
    Post(EV_FINISHED);
    finished.store(true);
    ended.store(true);
}

void RunFileReadJob(void* argument) {
    auto* job = static_cast<std::shared_ptr<FileReadJob>*>(argument);
    (*job)->Run();
    delete job;
}

}  // namespace vm
