#pragma once
#include <cstddef>
#include <string>

namespace vm {

// The file choosers' filter buffer holds this many bytes, NULs included.
constexpr size_t kMaxFilterList = 1024;
constexpr size_t kMaxFilterDescription = 1023;

struct FilterPair {
    const char* description;
    const char* pattern;
};

// "description (pattern)", NUL, pattern, NUL for each pair, then two more NULs. False
// (and an empty list) when the result would not fit kMaxFilterList bytes.
bool BuildFilterList(const FilterPair* pairs, size_t count, std::string* list);

}  // namespace vm
