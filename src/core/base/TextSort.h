#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

// Sorts rows by their texts as CompareTextNoCase orders them, stably (rows whose texts
// compare equal keep their order). text holds NUL-ended texts; offsets[row] is where a
// row's text starts.
//
// Long lists do not fit the processor's caches, so every comparison that has to read both
// texts waits for memory. Each row therefore carries a key made of the first bytes that set
// it apart (after the start that every text shares), and the texts are read only when two
// keys are equal. Keys hold plain ASCII only, folded, so they order texts as any
// case-insensitive comparison of this kind does, also in double-byte code pages.
void SortRowsByText(std::vector<uint32_t>* rows, const std::vector<char>& text,
                    const std::vector<size_t>& offsets, bool descending);

}  // namespace vm
