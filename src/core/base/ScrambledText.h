#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

// Texts the program keeps out of plain sight in its file: each byte is XORed with a key
// byte made from its position and two constants. The scrambling runs at compile time, so
// only the scrambled bytes are stored.
constexpr uint8_t kScrambleStep = 0x9D;
constexpr uint8_t kScrambleSeed = 0x47;

constexpr uint8_t ScrambleKey(size_t position) {
    return static_cast<uint8_t>((position * kScrambleStep + kScrambleSeed) ^ (position >> 2));
}

template <size_t N>
struct ScrambledBytes {
    uint8_t bytes[N] = {};
};

// The text with its NUL, scrambled.
template <size_t N>
constexpr ScrambledBytes<N> Scramble(const char (&text)[N]) {
    ScrambledBytes<N> result;
    for (size_t i = 0; i < N; ++i) {
        result.bytes[i] = static_cast<uint8_t>(static_cast<uint8_t>(text[i]) ^ ScrambleKey(i));
    }
    return result;
}

// The plain text: up to the first byte that unscrambles to zero, at most maxLength
// characters.
std::string Unscramble(const uint8_t* bytes, size_t size, size_t maxLength);

template <size_t N>
std::string Unscramble(const ScrambledBytes<N>& stored, size_t maxLength) {
    return Unscramble(stored.bytes, N, maxLength);
}

}  // namespace vm
