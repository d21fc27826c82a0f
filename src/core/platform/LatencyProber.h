#pragma once
#include <cstdint>
#include <string>

namespace vm {

// One probe's outcome: the time from sending the request to the response's first byte
// (connecting included, as each probe has a connection of its own), and the bytes it moved
// both ways as far as they can be told (request, response headers, body; a TLS handshake
// by estimate).
struct ProbeOutcome {
    bool ok = false;
    double ms = 0;
    uint64_t bytes = 0;
    // The server refused HEAD and ignored a one-byte range: probing this URL would cost a
    // whole body, so no more probes are made.
    bool unusable = false;
    // The length the server announced for the URL's body (a HEAD's Content-Length); 0 when
    // it announced none.
    uint64_t contentLength = 0;
};

// Small requests to a URL's server, each on a new connection, timed with the finest clock
// the platform has; called on a worker thread and waits for its answer.
class LatencyProber {
public:
    virtual ~LatencyProber() = default;
    // A HEAD of the URL, or a GET of its first byte where HEAD is refused.
    virtual ProbeOutcome Probe(const std::string& url) = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    virtual uint32_t TickCount() = 0;
};

}  // namespace vm
