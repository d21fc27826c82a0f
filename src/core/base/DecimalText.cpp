#include "core/base/DecimalText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vm {

std::string FormatDecimal(double value, int digits) {
    char format[16];
    std::snprintf(format, sizeof format, "%%0.%df", digits);
    char text[64];
    const int length = std::snprintf(text, sizeof text, format, value);
    if (length < 0 || static_cast<size_t>(length) >= sizeof text) return "0";
    return text;
}

double RoundTripDecimal(const char* text, int digits) {
    const double value = std::strtod(text, nullptr);
    // "inf" and "nan" are words to the user, not numbers: like any other word they give 0
    // rather than a threshold that every speed, or none, passes.
    if (!std::isfinite(value)) return 0.0;
    return std::strtod(FormatDecimal(value, digits).c_str(), nullptr);
}

}  // namespace vm
