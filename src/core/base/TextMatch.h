#pragma once
#include <cstddef>
#include <string>

namespace vm {

// The find text buffer holds 256 bytes; the dialog accepts 254 characters.
constexpr size_t kMaxFindText = 254;

// One search request of the Find dialog.
struct FindRequest {
    std::string text;
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

// Case-insensitive order of two texts in the system code page, character by character:
// ASCII letters fold to lower case, a double-byte character compares as lead * 256 +
// trail without folding, every other byte by its unsigned value. Negative, zero or positive.
int CompareTextNoCase(const char* a, const char* b);

// Whether a cell matches: with wholeWord the whole cell equals the find text, otherwise
// the find text occurs in it where a character starts (an empty find text matches every
// cell). Case is ignored for single-byte characters only.
bool CellMatchesFind(const char* cell, const FindRequest& request);

}  // namespace vm
