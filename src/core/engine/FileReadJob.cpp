#include "core/engine/FileReadJob.h"

#include <memory>
#include <vector>

#include "core/engine/TransferEvent.h"

namespace vm {

void FileReadJob::Run() {
    FileRef file = 0;
    uint32_t openError = 0;
    if (!files.OpenUnbuffered(path.c_str(), &file, &openError)) {
        record->EndFailed(openError, PostMode::Insist);
        workerDone.store(true);
        return;
    }
    fileOpen.store(true);
    StampAccepted();
    record->Post(EV_RESPONSE_ACCEPTED, 0, PostMode::Insist);
    record->contentLength.store(files.FileSize(file));

    std::vector<unsigned char> storage(kFileBlockSize + kSectorAlignment, 0);
    const uintptr_t base = reinterpret_cast<uintptr_t>(storage.data());
    unsigned char* block =
        storage.data() + ((kSectorAlignment - base % kSectorAlignment) % kSectorAlignment);
    bool atEnd = false;
    for (;;) {
        uint32_t count = 0;
        if (!files.ReadBlock(file, block, kFileBlockSize, &count)) break;
        if (Stopped()) break;
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
    // A read error ends the file as read so far; a stopped attempt keeps its end.
    const bool whole = atEnd || record->bytesRead.load() >= record->contentLength.load();
    record->Finish(record->dataTick.load(), record->dataMicro.load(), whole, PostMode::Insist);
    workerDone.store(true);
}

void RunFileReadJob(void* argument) {
    auto* job = static_cast<std::shared_ptr<FileReadJob>*>(argument);
    (*job)->Run();
    delete job;
}

}  // namespace vm
