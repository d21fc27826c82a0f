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

}  // namespace vm
