#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// Most bytes one value holds: 2731 bytes make 8192 characters of text.
constexpr size_t kMaxHexBytes = 2731;
constexpr size_t kMaxHexText = kMaxHexBytes * 3 - 1;

// "2C 00 FF": two upper-case digits per byte, one space between bytes; bytes past
// kMaxHexBytes are left out.
std::string EncodeHex(const uint8_t* bytes, size_t count);

// Decodes pairs of characters as base-16 numbers (strtoul rules, so a pair that is no
// number gives 0 or its leading digit's value), skipping spaces, into at most *count bytes.
// *count becomes the number decoded. With no byte decoded, bytes and *count stay as they
// were and the answer is false.
[[nodiscard]] bool DecodeHex(std::string_view text, uint8_t* bytes, size_t* count);

}  // namespace vm
