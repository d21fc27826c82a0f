#include "core/report/ReportFormat.h"

#include <cstring>
#include <string>

#include "core/lang/StringTable.h"

namespace vm {
namespace {

struct ReportTypeInfo {
    const char* pattern;
    const char* exportSwitch;
};

const ReportTypeInfo kTypes[kReportTypeCount] = {
    {"*.txt", "/stext"},           {"*.txt", "/stab"},
    {"*.txt", "/stabular"},        {"*.htm;*.html", "/shtml"},
    {"*.htm;*.html", "/sverhtml"}, {"*.xml", "/sxml"},
    {"*.csv", "/scomma"},
};

const char kHexDigits[] = "0123456789ABCDEF";

const char* EntityOf(unsigned char c) {
    switch (c) {
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '&':
            return "&amp;";
        case 0xB0:
            return "&deg;";
        case '\n':
            return "<br>";
        default:
            return nullptr;
    }
}

// XML keeps the declared encoding's degree sign, and line breaks and control characters
// become what a well-formed document may hold.
const char* XmlEntityOf(unsigned char c) {
    switch (c) {
        case 0xB0:
        case '\t':
            return nullptr;
        case '\n':
            return "&#10;";
        case '\r':
            return "&#13;";
        default:
            return c != 0 && c < 0x20 ? "?" : EntityOf(c);
    }
}

template <const char* (*Entity)(unsigned char)>
size_t Escape(const char* text, char* out, size_t size) {
    if (size == 0) return 0;
    const size_t limit = size - 1;
    size_t length = 0;
    const char* p = text;
    for (;;) {
        // Copy the run up to the next byte that needs an entity (or the end) at once.
        const char* run = p;
        while (Entity(static_cast<unsigned char>(*p)) == nullptr && *p != '\0') ++p;
        size_t n = static_cast<size_t>(p - run);
        if (n > limit - length) n = limit - length;
        std::memcpy(out + length, run, n);
        length += n;
        if (*p == '\0' || length == limit) break;
        const char* entity = Entity(static_cast<unsigned char>(*p));
        const size_t entityLength = std::strlen(entity);
        if (length + entityLength > limit) break;
        std::memcpy(out + length, entity, entityLength);
        length += entityLength;
        ++p;
    }
    out[length] = '\0';
    return length;
}

}  // namespace

size_t HtmlEscape(const char* text, char* out, size_t size) {
    return Escape<EntityOf>(text, out, size);
}

size_t XmlEscape(const char* text, char* out, size_t size) {
    return Escape<XmlEntityOf>(text, out, size);
}

void ColorToHex(uint32_t color, char out[7]) {
    const unsigned bytes[3] = {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF};
    for (int i = 0; i < 3; ++i) {
        out[i * 2] = kHexDigits[bytes[i] >> 4];
        out[i * 2 + 1] = kHexDigits[bytes[i] & 0xF];
    }
    out[6] = '\0';
}

size_t XmlTagName(const char* title, char* out, size_t size) {
    if (size == 0) return 0;
    const size_t limit = size - 1 < kXmlNameLimit ? size - 1 : kXmlNameLimit;
    size_t length = 0;
    for (const char* p = title; *p != '\0' && length < limit; ++p) {
        char c = *p;
        if (c == ' ' || c == '\\' || c == '/' || c == '(' || c == ')') {
            c = '_';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        out[length++] = c;
    }
    out[length] = '\0';
    return length;
}

const char* ReportFilePattern(int type) {
    return IsReportType(type) ? kTypes[type - 1].pattern : "";
}

const char* ReportSwitch(int type) {
    return IsReportType(type) ? kTypes[type - 1].exportSwitch : "";
}

bool BuildReportFilterList(std::string* list) {
    FilterPair pairs[kReportTypeCount];
    for (int type = kFirstReportType; type <= kLastReportType; ++type) {
        pairs[type - 1] = {GetString(IDS_REPORT_TYPE_BASE + type), kTypes[type - 1].pattern};
    }
    return BuildFilterList(pairs, kReportTypeCount, list);
}

}  // namespace vm
