#include "core/engine/FileReadJob.h"

#include <memory>
#include <vector>

#include "core/engine/TransferEvent.h"

namespace vm {

void FileReadJob::Run() {
    FileRef file = 0;
    uint32_t openError = 0;
    if (!files.OpenUnbuffered(path.c_str(), &file, &openError)) {
        Post(EV_FAILED, openError);
        ended.store(true);
        return;
    }
    fileOpen.store(true);
    StampAccepted();
    Post(EV_RESPONSE_ACCEPTED);
    contentLength.store(files.FileSize(file));

    std::vector<unsigned char> storage(kFileBlockSize + kSectorAlignment, 0);
    const uintptr_t base = reinterpret_cast<uintptr_t>(storage.data());
    unsigned char* block =
        storage.data() + ((kSectorAlignment - base % kSectorAlignment) % kSectorAlignment);
    bool atEnd = false;
    for (;;) {
        uint32_t count = 0;
        if (!files.ReadBlock(file, block, kFileBlockSize, &count)) break;
        if (stopped.load()) break;
        if (count == 0) {
            atEnd = true;
            break;
        }
        if (CountBlock(count)) break;
    }
    // The worker alone closes the file: closing it from the GUI thread while a read may
    // still start on it could hand that read a recycled handle.
    files.CloseFile(file);
    fileOpen.store(false);
    wholeBody.store(atEnd || bytesRead.load() >= contentLength.load());
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
