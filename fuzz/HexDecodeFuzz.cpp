// The hexadecimal decoder on arbitrary text, and the encoder's text decoding back to the
// same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/base/HexCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t bytes[64];
    std::memset(bytes, 0x5A, sizeof bytes);
    size_t count = sizeof bytes;
    const bool decoded =
        vm::DecodeHex(std::string_view(reinterpret_cast<const char*>(data), size), bytes, &count);
    if (count > sizeof bytes || (!decoded && count != sizeof bytes)) std::abort();

    const size_t kept = size < vm::kMaxHexBytes ? size : vm::kMaxHexBytes;
    const std::string text = vm::EncodeHex(data, size);
    static uint8_t back[vm::kMaxHexBytes];
    size_t backCount = sizeof back;
    if (vm::DecodeHex(text, back, &backCount) != (kept > 0)) std::abort();
    if (kept > 0 && (backCount != kept || std::memcmp(back, data, kept) != 0)) std::abort();
    return 0;
}
