#pragma once
#include <string>
#include <string_view>

#include "core/platform/CodePage.h"

namespace vm {

// How a profile file's text is stored.
enum class ProfileEncoding {
    Ansi,     // 8-bit text in the system code page (what the program writes)
    Utf16Le,  // byte order mark FF FE, as Notepad saves "Unicode"
    Utf16Be,  // byte order mark FE FF
};

// A profile file's bytes as the platform's profile functions read them: UTF-16 (a byte
// order mark first) converted to the code page, 8-bit text as it is. False for bytes that
// are no text (a NUL without a byte order mark): such a file must be left alone.
bool DecodeProfileText(std::string bytes, const CodePage& codePage, std::string* text,
                       ProfileEncoding* encoding);

// The encoding the bytes announce (kAnsi without a UTF-16 byte order mark).
ProfileEncoding DetectProfileEncoding(std::string_view bytes);

// UTF-16 file bytes (after the byte order mark) and UTF-8, both ways without loss: unpaired
// surrogates travel as their three-byte forms, so a file can be edited in UTF-8 and
// written back unchanged where it was not edited.
std::string Utf16BytesToUtf8(std::string_view bytes, ProfileEncoding encoding);
// UTF-8 text as UTF-16 file bytes with the byte order mark of the encoding.
std::string Utf8ToUtf16Bytes(std::string_view text, ProfileEncoding encoding);
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace vm
