#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

// An opaque handle of the Internet library (0 = none).
using InternetHandle = uintptr_t;

// Values the Internet library gives these operations, named as the library names them.
constexpr uint32_t kInternetOptionConnectTimeout = 2;
constexpr uint32_t kInternetOptionSendTimeout = 5;
constexpr uint32_t kInternetOptionReceiveTimeout = 6;
constexpr uint32_t kInternetTimeoutMs = 60000;

constexpr uint32_t kHttpQueryContentLength = 5;
constexpr uint32_t kHttpQueryStatusCode = 19;
constexpr uint32_t kHttpQueryRawHeadersCrlf = 22;
constexpr uint32_t kHttpQueryVersion = 18;

constexpr uint32_t kStatusConnectionClosed = 51;
// The library has made the request's handle (the result carries it) before the open
// completes: an open that then fails leaves it to the caller to close.
constexpr uint32_t kStatusHandleCreated = 60;
constexpr uint32_t kStatusHandleClosing = 70;
constexpr uint32_t kStatusRequestComplete = 100;

constexpr uint32_t kErrorIoPending = 997;
constexpr uint32_t kErrorInternetTimeout = 12002;
constexpr uint32_t kErrorInternetInternal = 12004;
// The server's reply holds the reason: the library keeps it for the thread that failed.
constexpr uint32_t kErrorExtendedError = 12003;
constexpr uint32_t kErrorLoginFailure = 12015;
constexpr uint32_t kErrorCannotConnect = 12029;
constexpr uint32_t kErrorInternetInvalidUrl = 12005;  // ERROR_INTERNET_INVALID_URL
constexpr uint32_t kErrorConnectionAborted = 12030;
// "The server response could not be parsed": the error of an http(s) answer that is no
// valid response (no status line, status 0).
constexpr uint32_t kErrorInvalidServerResponse = 12152;

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// Open flags: no cache read or write, no cookies, no dialogs; https also ignores
// certificate date and host name errors; ftp adds passive mode.
constexpr uint32_t kOpenFlagsDefault = 0xA4480300u;
constexpr uint32_t kOpenFlagsHttps = 0xA4C83300u;
constexpr uint32_t kOpenFlagsPassiveFtp = 0xAC480300u;

// The Internet library's operations a transfer uses, plus the posting of its events to
// the GUI thread. The library works asynchronously: an operation that answers false with
// kErrorIoPending completes later through the status callback installed on the root,
// which reaches LiveTransferRegistry::DispatchStatus with the context given at the open.
class InternetLibrary {
public:
    virtual ~InternetLibrary() = default;

    // The root handle in asynchronous mode with the system's proxy settings; 0 on failure.
    virtual InternetHandle OpenRoot(const char* agent) = 0;
    virtual bool SetStatusCallback(InternetHandle root) = 0;
    virtual bool SetTimeoutOption(InternetHandle root, uint32_t option, uint32_t milliseconds) = 0;
    // Opens a URL with extra request headers; returns the request handle or 0 (see LastError).
    virtual InternetHandle OpenUrl(InternetHandle root, const char* url, const char* headers,
                                   uint32_t flags, uint32_t context) = 0;
    // One response header as a 32-bit number, or as text.
    virtual bool QueryInfoNumber(InternetHandle request, uint32_t query, uint32_t* value) = 0;
    virtual bool QueryInfoText(InternetHandle request, uint32_t query, std::string* text) = 0;
    // A response header (or the header block) as text of any length up to maxBytes; false
    // when there is none or it is longer.
    virtual bool QueryInfoLongText(InternetHandle, uint32_t, std::string*, size_t) { return false; }
    // The secure connection of an https request: the security package's protocol bit, the
    // cipher's algorithm id and its strength in bits; false where the library does not say.
    virtual bool QuerySecureConnection(InternetHandle, uint32_t*, uint32_t*, uint32_t*) {
        return false;
    }
    // Bytes ready to read. When it goes pending, *available must stay valid until the
    // completion arrives; the completion's error field carries the count.
    virtual bool QueryDataAvailable(InternetHandle request, uint32_t* available) = 0;
    // Reads up to size bytes. When it goes pending, buffer and *count must stay valid until
    // the completion arrives or the handle has closed. A read asking for more than has
    // arrived completes only when its block is full or the data ends.
    virtual bool ReadFile(InternetHandle request, void* buffer, uint32_t size, uint32_t* count) = 0;
    // Reads what has already arrived, up to size bytes, without waiting for more. When
    // nothing has, it answers true with *count 0, or goes pending as a mere wait for data
    // whose completion brings no count (Wine does the latter). HTTP and HTTPS only.
    virtual bool ReadArrived(InternetHandle request, void* buffer, uint32_t size,
                             uint32_t* count) = 0;
    // Closes the handle on a thread of its own (a close may wait for the server) and
    // returns at once.
    virtual bool CloseHandle(InternetHandle handle) = 0;
    // Closes the handle on the calling thread and returns once it has closed. An FTP
    // close reads the server's last reply to the transfer ("226 Transfer complete.", or
    // "426 ..." when the server cut it short), which LastResponse then holds. Either close
    // removes the copy of an FTP download that the library wrote although asked not to.
    virtual void CloseHandleHere(InternetHandle handle) = 0;
    // The calling thread's error code after a failed operation.
    virtual uint32_t LastError() = 0;
    // The last error and server reply the library keeps for the calling thread (an FTP
    // server's "550 ..."); false when it keeps none. The text is cut to maxText bytes.
    virtual bool LastResponse(uint32_t* error, std::string* text, size_t maxText) = 0;

    // Posts an event to the window's queue; callable from any thread.
    virtual bool PostEvent(uintptr_t window, uint32_t message, uint32_t code, uint32_t serial) = 0;
    // Posts an event that the window gets only after the input, paint and timer messages
    // already waiting on the calling (GUI) thread: a posted message is always taken first.
    virtual bool PostEventAfterInput(uintptr_t window, uint32_t message, uint32_t code,
                                     uint32_t serial) = 0;
    // A line for the debugger.
    virtual void DebugOutput(const char* text) = 0;
};

}  // namespace vm
