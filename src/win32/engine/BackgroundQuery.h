#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>

namespace vm {

// How a query's answer is reported: as the library reports a completion.
using CompletionReport = void (*)(uint32_t context, HINTERNET handle, uintptr_t result,
                                  uint32_t error);

// Runs InternetQueryDataAvailable on a thread of its own. Wine's FTP query waits on the
// calling thread until a byte arrives (and only then goes pending), which would freeze the
// window on a slow server. An answer given at once is reported as a completion (result 1
// and the count, or result 0 and the error); a query that goes pending is completed by
// the library itself.
void QueryDataAvailableInBackground(HINTERNET request, uint32_t context, CompletionReport report);

// The handle is closing: what its pending queries still owned can go.
void ReleaseBackgroundQueries(HINTERNET request);

}  // namespace vm
