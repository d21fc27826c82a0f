#pragma once
#include <cstdint>

namespace vm {

// The window message of transfer events: wParam = the code, lParam = the transfer's serial.
constexpr uint32_t WM_TRANSFER_EVENT = 1027;  // WM_USER + 3

enum TransferEvent : uint32_t {
    EV_FINISHED = 257,
    EV_FAILED = 258,
    EV_HANDLE_CLOSING = 260,
    EV_RESPONSE_ACCEPTED = 262,
    EV_PROGRESS = 263,
    EV_PROBES_IDLE_DONE = 264,  // the idle latency probes are done: the download may open
    // 512 and up: the transfer's own continuation steps, handed back to it on the GUI thread.
    EV_OPEN_COMPLETE = 513,
    EV_DATA_AVAILABLE = 515,
    EV_READ_CONTINUE = 516,  // reading goes on after giving the message loop a turn
    EV_READ_COMPLETE = 517,  // a read that went pending has completed
};

constexpr uint32_t kFirstInternalEvent = 512;

// Transfer flags: post events at all; post EV_PROGRESS after every block.
constexpr uint32_t kTransferPostEvents = 0x1;
constexpr uint32_t kTransferPostProgress = 0x200;

}  // namespace vm
