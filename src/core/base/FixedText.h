#pragma once
#include <cstddef>

namespace vm {

// Writes value with 1 or 2 decimals, rounded like printf's "%.1f"/"%.2f"; returns the end.
// Needs room for 16 characters for the fast path.
char* AppendFixed(char* p, char* end, double value, int decimals);

// Writes "<value with precision decimals> <unit>" into out; returns out.
char* FixedWithUnit(char* out, size_t size, double value, int precision, const char* unit);

// Appends value in decimal with at least two digits ("%.2u").
char* AppendTwoDigits(char* p, char* end, unsigned value);

}  // namespace vm
