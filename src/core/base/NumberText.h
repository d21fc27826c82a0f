#pragma once
#include <cstdint>
#include <string_view>

namespace vm {

// A decimal integer as atoi and the profile reader take it: leading blanks, a sign, the
// digits up to the first other character; no digits give 0. Out-of-range values stop at
// the int32 limits instead of wrapping.
int32_t ParseDecimalInt(std::string_view text);

// A plain decimal integer: optional blanks around an optional sign and at least one digit,
// nothing else, within the int32 range. False for any other text ("0x1E8480", "2e6",
// "12abc", "", "99999999999"), which the lenient reader above would take as some number.
[[nodiscard]] bool ParsePlainDecimalInt(std::string_view text, int32_t* value);

// A number as atof takes it ("2.34", " -1e3", "5x" = 5); no number gives 0. Only the first
// 63 characters are looked at.
double ParseDecimalDouble(std::string_view text);

}  // namespace vm
