#pragma once
#include <cstdint>

namespace vm {

// The program's own error codes, for failures no system or library code describes:
// application codes (bit 29 set), which no system or library code has. Their texts are
// string-table entries (the fallback message table).
constexpr uint32_t kProgramErrorBase = 0x20000000u;
// A download on several connections: a range request answered with another status than
// 206, with other bytes than were asked for, or with another length than its range's.
constexpr uint32_t kErrorRangeStatus = kProgramErrorBase + 2501;
constexpr uint32_t kErrorRangeBytes = kProgramErrorBase + 2502;
constexpr uint32_t kErrorRangeLength = kProgramErrorBase + 2503;

}  // namespace vm
