#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vm {

// Longest line ReadLine hands out.
constexpr size_t kMaxReadLine = 4094;

// Copies at most size - 1 characters and always ends the output with a NUL.
void CopyBounded(char* out, size_t size, const char* text);

// Whether text begins with prefix, ASCII letters compared without case.
bool StartsWithNoCase(std::string_view text, const char* prefix);

// Removes leading and trailing spaces (only ' ', not tabs).
std::string TrimSpaces(const std::string& text);

// The next line of text from *position (CR, LF or CR LF ends a line); the line is cut to
// kMaxReadLine characters. False when *position is at the end of the text.
bool ReadLine(const std::string& text, size_t* position, std::string* line,
              size_t maxLength = kMaxReadLine);

}  // namespace vm
