#pragma once
#include <windows.h>
#include <wininet.h>

namespace vm {

// Closes an Internet handle on a thread of its own, in the order given, and returns at
// once. Closing a request whose declared body is still streaming makes Wine's library
// read and drop the rest of the body before the close returns (seconds on a loopback
// flood), and an FTP close waits for the server: the GUI thread must not wait for that.
void CloseHandleInBackground(HINTERNET handle);

}  // namespace vm
