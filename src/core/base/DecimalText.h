#pragma once
#include <cstddef>
#include <string>

namespace vm {

// A decimal edit shows its value with this many decimals and keeps what it shows.
constexpr int kDecimalEditDigits = 1;

// The value as "%0.<digits>f" shows it.
std::string FormatDecimal(double value, int digits);

// The number at the start of the text (0 when there is none or it is not finite), rounded
// to what the edit would show again, so the value kept is the value seen.
double RoundTripDecimal(const char* text, int digits);

}  // namespace vm
