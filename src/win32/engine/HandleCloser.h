#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>

namespace vm {

// Closes an Internet handle on a thread of its own, in the order given, and returns at
// once. Closing a request whose declared body is still streaming makes Wine's library
// read and drop the rest of the body before the close returns (seconds on a loopback
// flood), and an FTP close waits for the server: the GUI thread must not wait for that.
// The copy of an FTP download that Wine's library writes into the cache in spite of the
// no-cache flags, under a name only the handle knows, is removed once the handle closed.
void CloseHandleInBackground(HINTERNET handle);

// The same close on the calling thread; returns once the handle has closed and the copy
// is gone.
void CloseHandleHere(HINTERNET handle);

// Waits until every handle given so far has closed; false when the time ran out first.
// A process that ends while an FTP close is under way leaves Wine's server spinning on
// the control connection's unread last reply, at full load on one core, for good.
[[nodiscard]] bool WaitForBackgroundCloses(uint32_t milliseconds);

}  // namespace vm
