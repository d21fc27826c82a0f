#include "core/engine/TransferState.h"

#include <cassert>
#include <cstdio>

namespace vm {
namespace {

constexpr bool T = true;
constexpr bool F = false;

// Rows: from; columns: to, in the enumerators' order.
constexpr bool kPhaseTable[kTransferPhaseCount][kTransferPhaseCount] = {
    //            None PendingOpen PendingData PendingRead PendingArrival
    /* None */ {F, T, T, T, T},
    // The open completes (or fails at once): back to None.
    /* PendingOpen */ {T, F, F, F, F},
    /* PendingData */ {T, F, F, F, F},
    /* PendingRead */ {T, F, F, F, F},
    /* PendingArrival */ {T, F, F, F, F},
};

constexpr bool kAwaitingTable[kAwaitingCount][kAwaitingCount] = {
    //            Nothing Data Read Arrival
    /* Nothing */ {F, T, T, T},
    /* Data */ {T, F, F, F},
    /* Read */ {T, F, F, F},
    /* Arrival */ {T, F, F, F},
};

constexpr bool kEndTable[kTransferEndCount][kTransferEndCount] = {
    //             None Stopped Finished Failed
    /* None */ {F, T, T, T},
    // Stopping an ended attempt keeps its end; nothing ends twice otherwise.
    /* Stopped */ {F, T, F, F},
    /* Finished */ {F, T, F, F},
    /* Failed */ {F, T, F, F},
};

// Indexed by status - 1. The run never sets Waiting (a retry resets the item instead),
// and an ended item is not touched again, but for a stop repeated on a stopped run.
constexpr bool kStatusTable[kDownloadStatusCount][kDownloadStatusCount] = {
    //            Waiting Connecting Downloading Finished Failed ConnectTimeout
    /* Waiting */ {F, T, F, F, F, F},
    // Stopped, moved past or ended by its own rules while connecting: finished.
    /* Connecting */ {F, F, T, T, T, T},
    /* Downloading */ {F, F, F, T, T, F},
    /* Finished */ {F, F, F, T, F, F},
    /* Failed */ {F, F, F, F, F, F},
    /* ConnectTimeout */ {F, F, F, F, F, F},
};

template <typename E, int N>
bool Lookup(const bool (&table)[N][N], E from, E to, int base = 0) {
    const int f = static_cast<int>(from) - base;
    const int t = static_cast<int>(to) - base;
    return f >= 0 && f < N && t >= 0 && t < N && table[f][t];
}

template <int N>
const char* Name(const char* const (&names)[N], int value) {
    return value >= 0 && value < N ? names[value] : "?";
}

}  // namespace

bool IsLegalChange(TransferPhase from, TransferPhase to) { return Lookup(kPhaseTable, from, to); }
bool IsLegalChange(Awaiting from, Awaiting to) { return Lookup(kAwaitingTable, from, to); }
bool IsLegalChange(TransferEnd from, TransferEnd to) { return Lookup(kEndTable, from, to); }
bool IsLegalChange(DownloadStatus from, DownloadStatus to) {
    return Lookup(kStatusTable, from, to, 1);
}

const char* NameOf(TransferPhase phase) {
    static const char* const kNames[] = {"None", "PendingOpen", "PendingData", "PendingRead",
                                         "PendingArrival"};
    return Name(kNames, static_cast<int>(phase));
}
const char* NameOf(Awaiting awaiting) {
    static const char* const kNames[] = {"Nothing", "Data", "Read", "Arrival"};
    return Name(kNames, static_cast<int>(awaiting));
}
const char* NameOf(TransferEnd end) {
    static const char* const kNames[] = {"None", "Stopped", "Finished", "Failed"};
    return Name(kNames, static_cast<int>(end));
}
const char* NameOf(DownloadStatus status) {
    static const char* const kNames[] = {"Waiting",  "Connecting", "Downloading",
                                         "Finished", "Failed",     "ConnectTimeout"};
    return Name(kNames, static_cast<int>(status) - 1);
}

void CheckChange(bool legal, const char* what, const char* from, const char* to) {
    if (legal) return;
    std::fprintf(stderr, "illegal %s change %s -> %s\n", what, from, to);
    assert(legal && "illegal state change");
}

void FormatChange(char (&line)[kMaxTraceLine], const char* owner, uint32_t serial, const char* what,
                  const char* from, const char* to) {
    std::snprintf(line, sizeof line, "%s %u %s %s -> %s", owner, static_cast<unsigned>(serial),
                  what, from, to);
}

}  // namespace vm
