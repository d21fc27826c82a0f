#pragma once
#include <cstdint>
#include <string>

#include "core/platform/InternetLibrary.h"

namespace vm {

// The server's reply that explains a failure ("550 Failed to open file."), trimmed, from
// what the library keeps for the calling thread; empty when it keeps none that belongs to
// this failure. The error may be improved by the library's own: a failure without a code,
// or the bare "see the server's reply", takes the library's.
std::string TakeServerReply(InternetLibrary& net, uint32_t* error);

// The reply the FTP server gave at the end of a transfer, when it says the transfer
// failed ("426 Connection closed; transfer aborted."): a 4xx or 5xx reply, trimmed. Empty
// for a reply of success and when the library keeps none.
std::string TakeFailedTransferReply(InternetLibrary& net);

}  // namespace vm
