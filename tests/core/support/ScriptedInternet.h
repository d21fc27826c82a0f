#pragma once
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/engine/LiveTransferRegistry.h"
#include "core/engine/RangePlan.h"
#include "core/platform/InternetLibrary.h"
#include "support/FakeClock.h"

namespace vm::test {

// How the scripted library answers one opened URL.
struct ScriptedResponse {
    enum class Open { Pending, Immediate, Refused };
    Open open = Open::Pending;
    uint32_t openError = 0;                    // with Refused: the error of the open
    std::optional<uint32_t> status = 200;      // none: not HTTP (ftp)
    std::optional<std::string> contentLength;  // the header's text; none: no header
    uint64_t bodyBytes = 0;                    // bytes the server actually sends
    std::optional<uint64_t> arrived;           // of those, what has arrived (none: all);
                                               // the test lets more arrive with Arrive()
    uint32_t announce = 8192;                  // what a data-available query reports
    bool queryPending = false;                 // queries go pending (the test completes them)
    bool readPending = false;                  // reads go pending (the test completes them)
    bool arrivalReadsWait = false;             // a read of what has arrived that finds
                                               // nothing goes pending instead of saying 0
    uint32_t arrivalChunk = UINT32_MAX;        // most a read of what has arrived returns
    uint32_t readError = 0;                    // reads fail with this error
    bool zeroReadWithData = false;             // a read returns nothing although data was announced
    uint32_t msPerRead = 0;                    // the fake clock moves on with every read
    std::optional<std::string> rawHeaders;     // the header block, when it fits the query
    std::optional<std::string> version;        // the response's protocol version
    uint32_t msPerOpen = 0;                    // the fake clock moves on with every open
    std::optional<std::string> closeReply;     // the FTP server's last reply, read by a close
    uint32_t msPerCloseHere = 0;               // the fake clock moves on with a close here
    // A request with a Range header gets 206 for its bytes of the body (bodyBytes long),
    // with their Content-Range; other requests, and every request when false, get the
    // whole body as above. A range that starts past the first byte may be announced with
    // a Content-Length this much short of its count.
    bool takesRanges = false;
    uint64_t laterRangeShortBy = 0;
};

struct PostedEvent {
    uintptr_t window;
    uint32_t message;
    uint32_t code;
    uint32_t serial;
};

// The Internet library, scripted: answers from a response per URL, records what the
// transfer asked for, and queues posted events for the test to pump.
class ScriptedInternet : public InternetLibrary {
public:
    explicit ScriptedInternet(FakeClock& clock) : clock_(clock) {}

    // Script.
    bool rootFails = false;
    std::vector<std::pair<std::string, ScriptedResponse>> responses;
    ScriptedResponse& Respond(const std::string& url) {
        responses.emplace_back(url, ScriptedResponse());
        return responses.back().second;
    }

    // Record.
    std::vector<std::string> openedUrls;
    std::vector<uint32_t> openFlags;
    std::vector<std::string> openHeaders;
    std::vector<uint32_t> openContexts;
    std::vector<std::pair<uint32_t, uint32_t>> timeouts;
    std::vector<InternetHandle> closed;
    std::vector<uint32_t> readSizes;     // reads of exactly a count
    size_t queries = 0;                  // data-available queries
    std::vector<uint32_t> arrivedReads;  // what reads of what has arrived returned
    size_t afterInputPosts = 0;          // events posted behind input, paint and timers
    std::vector<std::string> debugLines;
    int rootOpens = 0;
    int callbackInstalls = 0;
    std::string agent;
    // Queries and reads that went pending so far; an FTP worker waits in the latest.
    std::atomic<size_t> pendingCalls{0};
    void* pendingReadBuffer = nullptr;
    uint32_t* pendingCount = nullptr;

    static constexpr InternetHandle kRoot = 0x100;

    InternetHandle OpenRoot(const char* agentText) override {
        ++rootOpens;
        agent = agentText;
        if (rootFails) {
            lastError_ = 12001;
            return 0;
        }
        return kRoot;
    }
    bool SetStatusCallback(InternetHandle) override {
        ++callbackInstalls;
        return true;
    }
    // Also called on "library threads": a request's receive time-out when it is announced.
    bool SetTimeoutOption(InternetHandle, uint32_t option, uint32_t ms) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        timeouts.emplace_back(option, ms);
        return true;
    }
    InternetHandle OpenUrl(InternetHandle, const char* url, const char* headers, uint32_t flags,
                           uint32_t context) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        openedUrls.push_back(url);
        openFlags.push_back(flags);
        openHeaders.push_back(headers);
        openContexts.push_back(context);
        Request r;
        r.handle = HandleOf(requests_.size());
        r.response = Find(url);
        clock_.Advance(r.response.msPerOpen);
        r.remaining = r.response.bodyBytes;
        AnswerRange(headers, r);
        r.unread = r.response.arrived ? std::min(*r.response.arrived, r.remaining) : r.remaining;
        requests_.push_back(r);
        switch (r.response.open) {
            case ScriptedResponse::Open::Immediate:
                return r.handle;
            case ScriptedResponse::Open::Pending:
                lastError_ = kErrorIoPending;
                return 0;
            case ScriptedResponse::Open::Refused:
                lastError_ = r.response.openError;
                return 0;
        }
        return 0;
    }
    // The handle the i-th open delivers (counted from 0).
    static InternetHandle HandleOf(size_t i) { return 0x1000 + static_cast<InternetHandle>(i); }
    // The handle the latest open will deliver.
    InternetHandle LastRequest() {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        return requests_.back().handle;
    }

    bool QueryInfoNumber(InternetHandle h, uint32_t query, uint32_t* value) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        Request* r = Get(h);
        if (r == nullptr || query != kHttpQueryStatusCode || !r->response.status) {
            lastError_ = 12150;
            return false;
        }
        *value = *r->response.status;
        return true;
    }
    bool QueryInfoText(InternetHandle h, uint32_t query, std::string* text) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        Request* r = Get(h);
        if (r != nullptr && query == kHttpQueryRawHeadersCrlf && r->response.rawHeaders) {
            *text = *r->response.rawHeaders;
            return true;
        }
        if (r != nullptr && query == kHttpQueryContentRange && !r->contentRange.empty()) {
            *text = r->contentRange;
            return true;
        }
        if (r != nullptr && query == kHttpQueryVersion && r->response.version) {
            *text = *r->response.version;
            return true;
        }
        if (r == nullptr || query != kHttpQueryContentLength || !r->response.contentLength) {
            lastError_ = 12150;
            return false;
        }
        *text = *r->response.contentLength;
        return true;
    }
    bool QueryInfoLongText(InternetHandle h, uint32_t query, std::string* text,
                           size_t maxBytes) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        Request* r = Get(h);
        if (r == nullptr || query != kHttpQueryRawHeadersCrlf || !r->response.rawHeaders ||
            r->response.rawHeaders->size() > maxBytes) {
            return false;
        }
        *text = *r->response.rawHeaders;
        return true;
    }
    bool QueryDataAvailable(InternetHandle h, uint32_t* available) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        ++queries;
        Request* r = Get(h);
        if (r == nullptr) {
            lastError_ = 6;
            return false;
        }
        if (r->response.queryPending || (r->unread == 0 && r->remaining != 0)) {
            ++pendingCalls;
            lastError_ = kErrorIoPending;  // nothing has arrived: the query waits
            return false;
        }
        *available = Announce(*r);
        return true;
    }
    // More of the body arrives (a pending query's completion is the test's to send).
    void Arrive(InternetHandle h, uint64_t bytes) {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        Request* r = Get(h);
        r->unread = std::min(r->unread + bytes, r->remaining);
    }

    bool ReadArrived(InternetHandle h, void* buffer, uint32_t size, uint32_t* count) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        Request* r = Readable(h);
        if (r == nullptr) return false;
        const uint32_t n = r->response.zeroReadWithData
                               ? 0
                               : static_cast<uint32_t>(std::min<uint64_t>(
                                     std::min(size, r->response.arrivalChunk), r->unread));
        if (n == 0 && r->remaining != 0 && r->response.arrivalReadsWait) {
            lastError_ = kErrorIoPending;
            return false;
        }
        clock_.Advance(r->response.msPerRead);
        Take(*r, buffer, n);
        arrivedReads.push_back(n);
        *count = n;
        return true;
    }
    // The count a pending query will report.
    uint32_t Announce(InternetHandle h) {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        return Announce(*Get(h));
    }

    bool ReadFile(InternetHandle h, void* buffer, uint32_t size, uint32_t* count) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        readSizes.push_back(size);
        clock_.Advance(Get(h) != nullptr ? Get(h)->response.msPerRead : 0);
        Request* r = Readable(h);
        if (r == nullptr) return false;
        if (r->response.zeroReadWithData) {
            *count = 0;
            return true;
        }
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(size, r->unread));
        if (r->response.readPending) {
            pendingReadBuffer = buffer;
            pendingCount = count;
            pendingReadSize_ = n;
            r->remaining -= n;
            r->unread -= n;
            ++pendingCalls;
            lastError_ = kErrorIoPending;
            return false;
        }
        Take(*r, buffer, n);
        *count = n;
        return true;
    }
    // Completes a pending read as the library would: writes the buffer and the count.
    uint32_t CompletePendingRead() {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        std::fill_n(static_cast<unsigned char*>(pendingReadBuffer), pendingReadSize_, 0xCD);
        *pendingCount = pendingReadSize_;
        return pendingReadSize_;
    }
    bool CloseHandle(InternetHandle h) override {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        closed.push_back(h);
        return true;
    }
    void CloseHandleHere(InternetHandle h) override {
        CloseHandle(h);
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        Request* r = Get(h);
        if (r == nullptr) return;
        clock_.Advance(r->response.msPerCloseHere);
        if (r->response.closeReply) lastResponse.emplace(0, *r->response.closeReply);
    }
    uint32_t LastError() override { return lastError_; }

    // Posts refused before one succeeds, as from a full message queue.
    int refusePosts = 0;

    bool PostEventAfterInput(uintptr_t window, uint32_t message, uint32_t code,
                             uint32_t serial) override {
        ++afterInputPosts;
        return PostEvent(window, message, code, serial);
    }
    // When set, a post waits until it answers true, as a library thread descheduled inside
    // its callback would; heldPosts counts the posts that got there.
    std::function<bool()> holdPostsUntil;
    std::atomic<int> heldPosts{0};

    bool PostEvent(uintptr_t window, uint32_t message, uint32_t code, uint32_t serial) override {
        if (holdPostsUntil) {
            ++heldPosts;
            while (!holdPostsUntil()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::lock_guard<std::mutex> lock(eventsMutex_);
        if (refusePosts > 0) {
            --refusePosts;
            return false;
        }
        events_.push_back({window, message, code, serial});
        return true;
    }
    void DebugOutput(const char* text) override {
        std::lock_guard<std::mutex> lock(eventsMutex_);  // workers trace too
        debugLines.push_back(text);
    }

    // What the library keeps as the last error and server reply (one for all threads here).
    std::optional<std::pair<uint32_t, std::string>> lastResponse;
    bool LastResponse(uint32_t* error, std::string* text, size_t maxText) override {
        if (!lastResponse) return false;
        *error = lastResponse->first;
        *text = lastResponse->second.substr(0, maxText);
        return true;
    }

    bool PopEvent(PostedEvent* event) {
        std::lock_guard<std::mutex> lock(eventsMutex_);
        if (events_.empty()) return false;
        *event = events_.front();
        events_.pop_front();
        return true;
    }
    size_t QueuedEvents() {
        std::lock_guard<std::mutex> lock(eventsMutex_);
        return events_.size();
    }
    // Waits until n queries or reads have gone pending (an FTP worker then waits for the
    // test to complete the latest); false after five seconds.
    bool AwaitPending(size_t n) {
        for (int i = 0; i < 5000 && pendingCalls.load() < n; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return pendingCalls.load() >= n;
    }
    bool WasClosed(InternetHandle h) {
        std::lock_guard<std::recursive_mutex> lock(requestsMutex_);
        return std::find(closed.begin(), closed.end(), h) != closed.end();
    }

private:
    struct Request {
        InternetHandle handle = 0;
        ScriptedResponse response;
        uint64_t remaining = 0;  // not yet read
        uint64_t unread = 0;     // arrived and not yet read
        std::string contentRange;
    };

    // The answer of a server that takes ranges to the request's Range header, if any.
    static void AnswerRange(const char* headers, Request& r) {
        const char* asked = headers != nullptr ? std::strstr(headers, "Range: bytes=") : nullptr;
        const uint64_t total = r.response.bodyBytes;
        unsigned long long first = 0;
        unsigned long long last = 0;
        if (!r.response.takesRanges || asked == nullptr ||
            std::sscanf(asked, "Range: bytes=%llu-%llu", &first, &last) != 2 || first >= total)
            return;
        last = std::min<unsigned long long>(last, total - 1);
        const uint64_t count = last - first + 1;
        r.response.status = 206;
        const uint64_t shortBy = first != 0 ? r.response.laterRangeShortBy : 0;
        r.response.contentLength = std::to_string(count - shortBy);
        r.contentRange = "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                         std::to_string(total);
        r.remaining = count;
    }

    static void Take(Request& r, void* buffer, uint32_t n) {
        static_cast<unsigned char*>(buffer)[0] = 0xAB;  // touch it: the buffer must be live
        if (n != 0) static_cast<unsigned char*>(buffer)[n - 1] = 0xAB;
        r.remaining -= n;
        r.unread -= n;
    }

    ScriptedResponse Find(const std::string& url) const {
        for (const auto& r : responses) {
            if (r.first == url) return r.second;
        }
        ScriptedResponse none;
        none.open = ScriptedResponse::Open::Refused;
        none.openError = 12007;
        return none;
    }
    Request* Get(InternetHandle h) {
        for (Request& r : requests_) {
            if (r.handle == h) return &r;
        }
        return nullptr;
    }
    // The request a read takes from, or null with the error the library gives.
    Request* Readable(InternetHandle h) {
        Request* r = Get(h);
        if (r == nullptr || r->response.readError != 0) {
            lastError_ = r == nullptr ? 6 : r->response.readError;
            return nullptr;
        }
        return r;
    }
    uint32_t Announce(const Request& r) const {
        return static_cast<uint32_t>(std::min<uint64_t>(r.response.announce, r.unread));
    }

    FakeClock& clock_;
    // Per thread, as the library keeps it: an FTP worker reads on a thread of its own.
    static inline thread_local uint32_t lastError_ = 0;
    uint32_t pendingReadSize_ = 0;
    // Requests are used by FTP workers and the test thread alike.
    std::recursive_mutex requestsMutex_;
    std::vector<Request> requests_;
    std::mutex eventsMutex_;
    std::deque<PostedEvent> events_;
};

}  // namespace vm::test
