#pragma once
#include <cstddef>
#include <cstdint>

#include "core/base/TextMatch.h"

namespace vm {

// Bits of a Find dialog request, as the common dialog sets them.
constexpr uint32_t kFindDown = 0x1;
constexpr uint32_t kFindWholeWord = 0x2;
constexpr uint32_t kFindMatchCase = 0x4;
constexpr uint32_t kFindNextRequest = 0x8;
constexpr uint32_t kFindDialogClosing = 0x40;

// The find text buffer: 256 bytes, announced to the dialog as 255 (254 characters).
constexpr size_t kFindTextBufferBytes = 256;
constexpr size_t kFindTextAnnouncedBytes = 255;
static_assert(kFindTextAnnouncedBytes - 1 == kMaxFindText, "the dialog takes 254 characters");

enum class FindAction { None, Search, Closed };

// What a request from the Find dialog asks for.
FindAction FindActionOf(uint32_t flags);

// The search a request describes; the text is taken up to its NUL, within the buffer.
FindRequest FindRequestOf(uint32_t flags, const char* text, size_t bufferBytes);

}  // namespace vm
