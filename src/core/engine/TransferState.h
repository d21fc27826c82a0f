#pragma once
#include <cstdint>

#include "core/engine/DownloadItem.h"

namespace vm {

// The library operation a transfer waits for. PendingArrival: a read of what has arrived
// found nothing and waits for more; its completion says only that more has come (any
// count it carries was not read).
enum class TransferPhase : int {
    None = 0,
    PendingOpen = 1,
    PendingData = 2,
    PendingRead = 3,
    PendingArrival = 4,
};
constexpr int kTransferPhaseCount = 5;

// The completion reading waits for on the GUI thread; any other is stale and ignored.
enum class Awaiting : int { Nothing = 0, Data = 1, Read = 2, Arrival = 3 };
constexpr int kAwaitingCount = 4;

// How an attempt ended; None while it may still read. The first end is kept: stopping an
// attempt that finished or failed only releases what it holds.
enum class TransferEnd : int { None = 0, Stopped = 1, Finished = 2, Failed = 3 };
constexpr int kTransferEndCount = 4;

constexpr int kDownloadStatusCount = 6;

// The written tables of legal changes. A change to the same value is legal only where the
// table says so (stopping twice, for instance).
bool IsLegalChange(TransferPhase from, TransferPhase to);
bool IsLegalChange(Awaiting from, Awaiting to);
bool IsLegalChange(TransferEnd from, TransferEnd to);
// An item's status during a run; a retry's reset to Waiting is not a change of the run's.
bool IsLegalChange(DownloadStatus from, DownloadStatus to);

const char* NameOf(TransferPhase phase);
const char* NameOf(Awaiting awaiting);
const char* NameOf(TransferEnd end);
const char* NameOf(DownloadStatus status);

// Debug builds stop at an illegal change, where it starts rather than three events later;
// release builds carry on. `what` names the machine ("phase", "status"...) for the message.
void CheckChange(bool legal, const char* what, const char* from, const char* to);

// "transfer 12 phase PendingOpen -> None", for a trace of every change; bounded.
constexpr size_t kMaxTraceLine = 96;
void FormatChange(char (&line)[kMaxTraceLine], const char* owner, uint32_t serial, const char* what,
                  const char* from, const char* to);

}  // namespace vm
