#pragma once
#include <cstdint>
#include <vector>

namespace vm {

// The memory a pending library operation writes into: the read buffer and the counts.
// Shared, so that it outlives its transfer while the library may still write into it.
struct ReadSlot {
    std::vector<unsigned char> buffer;
    uint32_t readCount = 0;
    uint32_t queryCount = 0;
};

// Frees the read buffer (its memory, not only its contents): what a slot kept for a call
// that writes no data still holds.
inline void ReleaseBuffer(ReadSlot& slot) { std::vector<unsigned char>().swap(slot.buffer); }

}  // namespace vm
