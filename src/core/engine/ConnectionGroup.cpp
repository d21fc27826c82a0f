#include "core/engine/ConnectionGroup.h"

namespace vm {

int32_t ConnectionGroup::Start(const std::string& url, const std::string& headers, uint64_t from,
                               uint64_t fileLength, int32_t connections, uintptr_t window,
                               uint32_t message, uint32_t flags) {
    const RangePlan plan = PlanRanges(from, fileLength, connections);
    for (int32_t i = 0; i < plan.count; ++i) {
        auto part = std::make_unique<DownloadTransfer>(context_);
        part->Init(window, message, flags);
        part->SetHeaders(headers);
        part->SetRange(plan.ranges[i], RangeRole::Part, fileLength);
        DownloadTransfer* opened = part.get();
        parts_.push_back(std::move(part));
        // A refused open posts its failure, which fails the attempt.
        (void)opened->OpenUrl(url);
    }
    return plan.count;
}

DownloadTransfer* ConnectionGroup::Find(uint32_t serial) {
    for (const auto& part : parts_) {
        if (part->Serial() == serial) return part.get();
    }
    return nullptr;
}

uint64_t ConnectionGroup::BytesRead() const {
    uint64_t bytes = 0;
    for (const auto& part : parts_) bytes += part->BytesRead();
    return bytes;
}

uint32_t ConnectionGroup::LatestDataTick(uint32_t tick, uint32_t since) const {
    for (const auto& part : parts_) {
        const uint32_t partTick = part->DataTick();
        if (part->AcceptedTime() != 0 && partTick - since > tick - since) tick = partTick;
    }
    return tick;
}

uint64_t ConnectionGroup::LatestDataMicro(uint64_t micro) const {
    for (const auto& part : parts_) {
        const uint64_t partMicro = part->DataMicro();
        if (part->AcceptedTime() != 0 && partMicro > micro) micro = partMicro;
    }
    return micro;
}

bool ConnectionGroup::AllFinished() const {
    for (const auto& part : parts_) {
        if (!part->Finished()) return false;
    }
    return true;
}

bool ConnectionGroup::AllWhole() const {
    for (const auto& part : parts_) {
        if (!part->WholeBodySeen()) return false;
    }
    return true;
}

void ConnectionGroup::StopAll() {
    for (const auto& part : parts_) part->StopTransfer();
}

DownloadTransfer* ConnectionGroup::FailTimedOut() {
    for (const auto& part : parts_) {
        if (part->FailTimedOut()) return part.get();
    }
    return nullptr;
}

}  // namespace vm
