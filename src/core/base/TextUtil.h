#pragma once
#include <cstddef>
#include <string>

namespace vm {

// Longest line ReadLine hands out.
constexpr size_t kMaxReadLine = 4094;

// Copies at most size - 1 characters and always ends the output with a NUL.
void CopyBounded(char* out, size_t size, const char* text);

// Removes leading and trailing spaces (only ' ', not tabs).
std::string TrimSpaces(const std::string& text);

// The next line of text from *position (CR, LF or CR LF ends a line); the line is cut to
// kMaxReadLine characters. False when *position is at the end of the text.
bool ReadLine(const std::string& text, size_t* position, std::string* line,
              size_t maxLength = kMaxReadLine);

}  // namespace vm
