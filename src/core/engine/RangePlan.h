#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/ProgramErrors.h"

namespace vm {

// Connections one download may use at once; 1 is a plain single request.
constexpr int32_t kMinConnections = 1;
constexpr int32_t kMaxConnections = 16;
// A range smaller than this is not worth a connection of its own: a short rest of the
// file is split into fewer ranges.
constexpr uint64_t kMinRangeBytes = 64 * 1024;
// "Range: bytes=18446744073709551615-18446744073709551615\r\n" and its NUL fit.
constexpr size_t kMaxRangeHeader = 64;

// The bytes [first, first + count) of a file.
struct ByteRange {
    uint64_t first = 0;
    uint64_t count = 0;
    uint64_t Last() const { return first + count - 1; }
};

// The rest of a file of `length` bytes from `start` on, split into at most `connections`
// consecutive ranges (1-16) of at least kMinRangeBytes each, the earlier ones a byte
// larger where the split is uneven. Every byte of [start, length) lies in exactly one
// range, so the counts add up to length - start. No ranges when nothing is left.
struct RangePlan {
    ByteRange ranges[kMaxConnections];
    int32_t count = 0;
};
RangePlan PlanRanges(uint64_t start, uint64_t length, int32_t connections);

// The request header that asks for a range, CRLF included ("Range: bytes=0-65535\r\n").
std::string RangeRequestHeader(const ByteRange& range);

// A Content-Range header's value, "bytes FIRST-LAST/TOTAL" (TOTAL may be "*": unknown,
// given as UINT64_MAX). False when it is not one or LAST lies before FIRST.
[[nodiscard]] bool ParseContentRange(const std::string& text, ByteRange* range, uint64_t* total);

// The first request of a download on several connections asks for this much of the file:
// its answer tells whether the server takes ranges and how long the file is, and the rest
// is split among the connections.
constexpr uint64_t kProbeRangeBytes = 256 * 1024;

// The library's query of the Content-Range header (its value alone).
constexpr uint32_t kHttpQueryContentRange = 53;

// What a request for a range is: the first of a download (the probe) or one of its parts.
enum class RangeRole { None, Probe, Part };

// What the answer to a range request means for the download.
enum class RangeAnswer {
    Matches,      // 206 with exactly the range asked for, of a file of the expected length
    Ignored,      // 200: the server sends the whole file instead
    WrongStatus,  // any other status
    WrongRange,   // 206 for other bytes, or of a file of another length
    WrongLength,  // 206 for the right bytes, but a Content-Length that is not their count
};

// status: the HTTP status; contentRange: the Content-Range header (empty when absent);
// hasLength/contentLength: the Content-Length header. expectedTotal: the file's length as
// the first answer announced it (UINT64_MAX: not known yet, any total is taken).
RangeAnswer JudgeRangeAnswer(uint32_t status, const std::string& contentRange, bool hasLength,
                             uint64_t contentLength, const ByteRange& asked,
                             uint64_t expectedTotal);

// The error a part's wrong answer fails the attempt with; 0 for Matches.
uint32_t RangeAnswerError(RangeAnswer answer);

// The probe's answer: the server took the range (206 for the bytes from the first asked,
// up to the last asked or the end of a shorter file) and said the file's length; or it sent
// the whole file (200 or any success but 206: read on one connection); or a 206 that does
// not fit (fails with kErrorRangeBytes or kErrorRangeLength).
enum class ProbeAnswer { Taken, Whole, Wrong };
ProbeAnswer JudgeProbeAnswer(uint32_t status, const std::string& contentRange, bool hasLength,
                             uint64_t contentLength, const ByteRange& asked, uint64_t* fileLength,
                             uint32_t* error);

}  // namespace vm
