#include "core/engine/RangePlan.h"

#include <cinttypes>
#include <cstdio>

namespace vm {
namespace {

constexpr uint32_t kStatusOk = 200;
constexpr uint32_t kStatusPartialContent = 206;

// Reads a decimal count at text[*i]; false without a digit or on overflow.
bool ReadCount(const std::string& text, size_t* i, uint64_t* value) {
    const size_t start = *i;
    uint64_t n = 0;
    for (; *i < text.size() && text[*i] >= '0' && text[*i] <= '9'; ++*i) {
        const uint64_t digit = static_cast<uint64_t>(text[*i] - '0');
        if (n > (UINT64_MAX - digit) / 10) return false;
        n = n * 10 + digit;
    }
    *value = n;
    return *i > start;
}

void SkipBlanks(const std::string& text, size_t* i) {
    while (*i < text.size() && (text[*i] == ' ' || text[*i] == '\t')) ++*i;
}

bool Expect(const std::string& text, size_t* i, char c) {
    if (*i >= text.size() || text[*i] != c) return false;
    ++*i;
    return true;
}

}  // namespace

RangePlan PlanRanges(uint64_t start, uint64_t length, int32_t connections) {
    RangePlan plan;
    if (start >= length) return plan;
    const uint64_t rest = length - start;
    uint64_t count = connections < kMinConnections   ? 1
                     : connections > kMaxConnections ? kMaxConnections
                                                     : static_cast<uint64_t>(connections);
    const uint64_t fitting = rest / kMinRangeBytes;
    if (count > fitting) count = fitting < 1 ? 1 : fitting;
    const uint64_t share = rest / count;
    const uint64_t larger = rest % count;  // this many ranges get one byte more
    uint64_t first = start;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t size = share + (i < larger ? 1 : 0);
        plan.ranges[i] = ByteRange{first, size};
        first += size;
    }
    plan.count = static_cast<int32_t>(count);
    return plan;
}

std::string RangeRequestHeader(const ByteRange& range) {
    char text[kMaxRangeHeader];
    std::snprintf(text, sizeof text, "Range: bytes=%" PRIu64 "-%" PRIu64 "\r\n", range.first,
                  range.Last());
    return text;
}

bool ParseContentRange(const std::string& text, ByteRange* range, uint64_t* total) {
    size_t i = 0;
    SkipBlanks(text, &i);
    static const char kUnit[] = "bytes";
    for (const char* c = kUnit; *c != '\0'; ++c, ++i) {
        if (i >= text.size() || (text[i] | 0x20) != *c) return false;
    }
    if (i >= text.size() || (text[i] != ' ' && text[i] != '\t')) return false;
    SkipBlanks(text, &i);
    uint64_t first = 0;
    uint64_t last = 0;
    if (!ReadCount(text, &i, &first) || !Expect(text, &i, '-') || !ReadCount(text, &i, &last) ||
        !Expect(text, &i, '/') || last < first || last == UINT64_MAX) {
        return false;
    }
    uint64_t size = UINT64_MAX;
    if (!Expect(text, &i, '*') && !ReadCount(text, &i, &size)) return false;
    SkipBlanks(text, &i);
    if (i != text.size()) return false;
    if (size != UINT64_MAX && last >= size) return false;
    *range = ByteRange{first, last - first + 1};
    *total = size;
    return true;
}

RangeAnswer JudgeRangeAnswer(uint32_t status, const std::string& contentRange, bool hasLength,
                             uint64_t contentLength, const ByteRange& asked,
                             uint64_t expectedTotal) {
    if (status == kStatusOk) return RangeAnswer::Ignored;
    if (status != kStatusPartialContent) return RangeAnswer::WrongStatus;
    ByteRange got;
    uint64_t total = 0;
    if (!ParseContentRange(contentRange, &got, &total) || got.first != asked.first ||
        got.count != asked.count) {
        return RangeAnswer::WrongRange;
    }
    if (expectedTotal != UINT64_MAX && total != expectedTotal) return RangeAnswer::WrongRange;
    if (hasLength && contentLength != asked.count) return RangeAnswer::WrongLength;
    return RangeAnswer::Matches;
}

uint32_t RangeAnswerError(RangeAnswer answer) {
    switch (answer) {
        case RangeAnswer::Matches:
            return 0;
        case RangeAnswer::Ignored:
        case RangeAnswer::WrongStatus:
            return kErrorRangeStatus;
        case RangeAnswer::WrongRange:
            return kErrorRangeBytes;
        case RangeAnswer::WrongLength:
            return kErrorRangeLength;
    }
    return kErrorRangeStatus;
}

ProbeAnswer JudgeProbeAnswer(uint32_t status, const std::string& contentRange, bool hasLength,
                             uint64_t contentLength, const ByteRange& asked, uint64_t* fileLength,
                             uint32_t* error) {
    if (status != kStatusPartialContent) return ProbeAnswer::Whole;
    ByteRange got;
    uint64_t total = 0;
    // A file shorter than the range asked for comes whole, up to its last byte.
    if (!ParseContentRange(contentRange, &got, &total) || total == UINT64_MAX ||
        got.first != asked.first ||
        (got.count != asked.count && !(got.count < asked.count && got.Last() + 1 == total))) {
        *error = kErrorRangeBytes;
        return ProbeAnswer::Wrong;
    }
    if (hasLength && contentLength != got.count) {
        *error = kErrorRangeLength;
        return ProbeAnswer::Wrong;
    }
    *fileLength = total;
    return ProbeAnswer::Taken;
}

}  // namespace vm
