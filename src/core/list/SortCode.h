#pragma once
#include <cstdint>

namespace vm {

// A sort state: the column index in the low 12 bits, plus kSortDescending.
constexpr int32_t kSortColumnMask = 0xFFF;
constexpr int32_t kSortDescending = 0x1000;
// Passed to Sort: keep the current code.
constexpr int32_t kSortKeepCurrent = 0xFFFF;
constexpr int32_t kDefaultSortCode = 0;

inline int SortColumn(int32_t code) { return code & kSortColumnMask; }
inline bool SortIsDescending(int32_t code) { return (code & kSortDescending) != 0; }

// The code a header click gives: the same column again reverses the order, another
// column sorts ascending.
inline int32_t SortCodeForClick(int32_t current, int column) {
    if (SortColumn(current) == (column & kSortColumnMask)) return current ^ kSortDescending;
    return column & kSortColumnMask;
}

}  // namespace vm
