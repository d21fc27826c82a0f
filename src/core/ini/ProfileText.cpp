#include "core/ini/ProfileText.h"

#include <cstdint>

namespace vm {
namespace {

char16_t UnitAt(std::string_view bytes, size_t i, ProfileEncoding encoding) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return encoding == ProfileEncoding::Utf16Le ? static_cast<char16_t>(first | second << 8)
                                                : static_cast<char16_t>(first << 8 | second);
}

std::u16string Utf16Units(std::string_view bytes, ProfileEncoding encoding) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    // An odd last byte is no whole character.
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) units += UnitAt(bytes, i, encoding);
    return units;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

ProfileEncoding DetectProfileEncoding(std::string_view bytes) {
    const std::string_view mark = bytes.substr(0, 2);
    if (mark == "\xFF\xFE") return ProfileEncoding::Utf16Le;
    if (mark == "\xFE\xFF") return ProfileEncoding::Utf16Be;
    return ProfileEncoding::Ansi;
}

bool DecodeProfileText(std::string bytes, const CodePage& codePage, std::string* text,
                       ProfileEncoding* encoding) {
    *encoding = DetectProfileEncoding(bytes);
    if (*encoding == ProfileEncoding::Ansi) {
        if (bytes.find('\0') != std::string::npos) return false;
        *text = std::move(bytes);
        return true;
    }
    const std::u16string units = Utf16Units(bytes, *encoding);
    bytes = std::string();  // a large file is held once in each form at most
    *text = codePage.FromUtf16(units);
    return true;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size() + units.size() / 2);
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t code = units[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::string Utf16BytesToUtf8(std::string_view bytes, ProfileEncoding encoding) {
    return Utf16ToUtf8(Utf16Units(bytes, encoding));
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        uint32_t code = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            length = 4;
            code = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = lead < 0xF0 ? 3 : 1;
            code = lead & 0x0F;
        } else if (lead >= 0xC0) {
            length = 2;
            code = lead & 0x1F;
        }
        bool whole = length > 1 && i + length <= text.size();
        for (size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (length > 1 && (!whole || code > 0x10FFFF)) {
            // Not UTF-8 (only our own encoder feeds this): the byte stands for itself.
            code = lead;
            length = 1;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::string Utf8ToUtf16Bytes(std::string_view text, ProfileEncoding encoding) {
    const std::u16string units = Utf8ToUtf16(text);
    std::string bytes;
    bytes.reserve(2 + units.size() * 2);
    const bool little = encoding != ProfileEncoding::Utf16Be;
    auto put = [&bytes, little](char16_t unit) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little ? low : high;
        bytes += little ? high : low;
    };
    put(0xFEFF);
    for (char16_t unit : units) put(unit);
    return bytes;
}

}  // namespace vm
