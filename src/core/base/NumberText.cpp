#include "core/base/NumberText.h"

#include <cstdlib>
#include <cstring>

namespace vm {

int32_t ParseDecimalInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                               text[i] == '\n' || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

double ParseDecimalDouble(std::string_view text) {
    char buffer[64];
    const size_t length = text.size() < sizeof buffer - 1 ? text.size() : sizeof buffer - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return std::strtod(buffer, nullptr);
}

}  // namespace vm
