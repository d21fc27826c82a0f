#include "listview/TextMatch.h"

#include <cstring>

namespace vm {
namespace {

inline unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EqualBytesNoCase(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

int CompareTextNoCase(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        const int cx = FoldCase(*x);
        const int cy = FoldCase(*y);
        if (cx != cy) return cx - cy;
        if (cx == 0) return 0;
    }
}

bool CellMatchesFind(const char* cell, const FindRequest& request) {
    const char* find = request.text.c_str();
    if (request.wholeWord) {
        return request.matchCase ? std::strcmp(cell, find) == 0
                                 : CompareTextNoCase(cell, find) == 0;
    }
    const size_t cellLength = std::strlen(cell);
    const size_t findLength = request.text.size();
    if (findLength > cellLength) return false;
    for (size_t start = 0; start + findLength <= cellLength; ++start) {
        const bool equal = request.matchCase
                               ? std::memcmp(cell + start, find, findLength) == 0
                               : EqualBytesNoCase(cell + start, find, findLength);
        if (equal) return true;
    }
    return false;
}

}  // namespace vm
