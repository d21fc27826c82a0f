#include "core/base/FixedText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vm {

// The cells below are formatted for every row of every report, so they avoid printf but
// give exactly its digits: "%.1f" and "%.2f" round the exact value of the double to the
// nearest, ties to even.

// Writes value with 1 or 2 decimals; returns the end. A double below 2^25 is m * 2^-shift
// with a 53-bit m and shift of 28 or more, so value * 10^decimals rounds exactly in
// 64-bit integers (and fits 32 bits), whatever precision the floating-point unit was
// left in. Larger values, negative ones and NaN go through to_chars (slower).
char* AppendFixed(char* p, char* end, double value, int decimals) {
    constexpr double kIntegerPathLimit = 33554432.0;  // 2^25
    const uint32_t divisor = decimals == 1 ? 10 : 100;
    if (!std::signbit(value) && value < kIntegerPathLimit && end - p >= 16) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        const int biased = static_cast<int>(bits >> 52) & 0x7FF;
        uint64_t m = bits & ((uint64_t{1} << 52) - 1);
        int shift = 1074;  // subnormal
        if (biased != 0) {
            m |= uint64_t{1} << 52;
            shift = 1075 - biased;
        }
        const uint64_t scaled = m * divisor;  // below 2^60
        uint32_t units = 0;
        if (shift < 64) {
            units = static_cast<uint32_t>(scaled >> shift);
            const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
            const uint64_t half = uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (units & 1) != 0)) ++units;
        }  // else value * divisor is below 1/16: zero
        p = std::to_chars(p, end, units / divisor).ptr;
        *p++ = '.';
        units %= divisor;
        if (decimals == 2) {
            *p++ = static_cast<char>('0' + units / 10);
            units %= 10;
        }
        *p++ = static_cast<char>('0' + units);
        return p;
    }
    const std::to_chars_result r = std::to_chars(p, end, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? r.ptr : p;
}

// Writes "<value with precision decimals> <unit>" into out; returns out.
char* FixedWithUnit(char* out, size_t size, double value, int precision, const char* unit) {
    char* const end = out + size - 1;
    char* p = AppendFixed(out, end, value, precision);
    if (p == out) {
        std::snprintf(out, size, "%.*f %s", precision, value, unit);
        return out;
    }
    const size_t room = static_cast<size_t>(end - p);
    const size_t unitLength = std::strlen(unit);
    if (room > 0) {
        *p++ = ' ';
        const size_t n = unitLength < room - 1 ? unitLength : room - 1;
        std::memcpy(p, unit, n);
        p += n;
    }
    *p = '\0';
    return out;
}

// Appends value in decimal with at least two digits ("%.2u").
char* AppendTwoDigits(char* p, char* end, unsigned value) {
    if (value < 10 && p < end) *p++ = '0';
    return std::to_chars(p, end, value).ptr;
}

}  // namespace vm
