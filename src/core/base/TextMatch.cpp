#include "core/base/TextMatch.h"

#include <cstring>

#include "core/platform/CodePage.h"

namespace vm {
namespace {

using LeadBytes = std::array<bool, 256>;

inline unsigned FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned>(c - 'A' + 'a') : c;
}

// The character at p, advancing p past it: a double-byte character as lead * 256 + trail
// (its trail byte is no letter, whatever its value), any other byte with ASCII letters
// folded to lower case. A lead byte before the end stands alone.
inline unsigned NextCharNoCase(const unsigned char*& p, const LeadBytes& lead) {
    const unsigned char c = *p++;
    if (lead[c] && *p != 0) return static_cast<unsigned>(c) << 8 | *p++;
    return FoldCase(c);
}

// Whether length bytes at a equal the find text f, character by character.
bool EqualAt(const unsigned char* a, const unsigned char* f, size_t length, bool matchCase,
             const LeadBytes& lead) {
    size_t i = 0;
    while (i < length) {
        if (lead[f[i]] && i + 1 < length) {
            if (a[i] != f[i] || a[i + 1] != f[i + 1]) return false;
            i += 2;
            continue;
        }
        if (matchCase ? a[i] != f[i] : FoldCase(a[i]) != FoldCase(f[i])) return false;
        ++i;
    }
    return true;
}

}  // namespace

int CompareTextNoCase(const char* a, const char* b) {
    const LeadBytes& lead = SystemLeadBytes();
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        const unsigned cx = NextCharNoCase(x, lead);
        const unsigned cy = NextCharNoCase(y, lead);
        if (cx != cy) return cx < cy ? -1 : 1;
        if (cx == 0) return 0;
    }
}

bool CellMatchesFind(const char* cell, const FindRequest& request) {
    const char* find = request.text.c_str();
    if (request.wholeWord) {
        return request.matchCase ? std::strcmp(cell, find) == 0
                                 : CompareTextNoCase(cell, find) == 0;
    }
    const LeadBytes& lead = SystemLeadBytes();
    const auto* text = reinterpret_cast<const unsigned char*>(cell);
    const auto* pattern = reinterpret_cast<const unsigned char*>(find);
    const size_t cellLength = std::strlen(cell);
    const size_t findLength = request.text.size();
    if (findLength > cellLength) return false;
    // Only where a character starts: the trail byte of a double-byte character is none.
    for (size_t start = 0; start + findLength <= cellLength;
         start += lead[text[start]] && start + 1 < cellLength ? 2 : 1) {
        if (EqualAt(text + start, pattern, findLength, request.matchCase, lead)) return true;
    }
    return false;
}

}  // namespace vm
