#include "core/base/JsonText.h"

#include <cmath>
#include <cstdio>

#include "core/base/FileTimeCalendar.h"
#include "core/base/Utf8Text.h"

namespace vm {
namespace {

const char kHexDigits[] = "0123456789abcdef";
const char kReplacement[] = "\\ufffd";

}  // namespace

void AppendJsonString(std::string& out, const std::string& utf8) {
    out += '"';
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(utf8, i);
            if (length == 0) {
                out += kReplacement;
                ++i;
            } else {
                out.append(utf8, i, length);
                i += length;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\u00";
                    out += kHexDigits[c >> 4];
                    out += kHexDigits[c & 0xF];
                } else {
                    out += static_cast<char>(c);
                }
                break;
        }
        ++i;
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) value = 0;
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof text) {
        // Only magnitudes far beyond any count or speed get here.
        std::snprintf(text, sizeof text, "%.15g", value);
        out += text;
        return;
    }
    size_t end = static_cast<size_t>(length);
    for (size_t i = 0; i < end; ++i) {
        if (text[i] != '.') continue;
        while (end > i + 1 && text[end - 1] == '0') --end;
        if (end == i + 1) end = i;  // no decimals left: drop the point too
        break;
    }
    if (end == 2 && text[0] == '-' && text[1] == '0') {
        out += '0';  // a tiny negative rounds to "-0"
        return;
    }
    out.append(text, end);
}

std::string IsoUtcTime(FileTime time) {
    CalendarTime c;
    if (time == 0 || !FileTimeToCalendar(time, &c)) return std::string();
    char text[64];  // room for any 16-bit fields, although a valid date needs 24
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", unsigned{c.year},
                  unsigned{c.month}, unsigned{c.day}, unsigned{c.hour}, unsigned{c.minute},
                  unsigned{c.second}, unsigned{c.milliseconds});
    return text;
}

void JsonBuilder::PutPendingBreak() {
    if (!pendingBreak_) return;
    pendingBreak_ = false;
    text_ += '\n';
}

void JsonBuilder::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!nesting_.empty()) {
        if (nesting_.back() == 'n') text_ += ',';
        nesting_.back() = 'n';
    }
    PutPendingBreak();
}

void JsonBuilder::BeginObject() {
    BeforeValue();
    text_ += '{';
    nesting_ += 'f';
}

void JsonBuilder::EndObject() {
    PutPendingBreak();
    if (!nesting_.empty()) nesting_.pop_back();
    text_ += '}';
}

void JsonBuilder::BeginArray() {
    BeforeValue();
    text_ += '[';
    nesting_ += 'f';
}

void JsonBuilder::EndArray() {
    PutPendingBreak();
    if (!nesting_.empty()) nesting_.pop_back();
    text_ += ']';
}

void JsonBuilder::Key(const char* name) {
    BeforeValue();
    AppendJsonString(text_, name);
    text_ += ':';
    afterKey_ = true;
}

void JsonBuilder::String(const std::string& utf8) {
    BeforeValue();
    AppendJsonString(text_, utf8);
}

void JsonBuilder::Int(int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
}

void JsonBuilder::UInt(uint64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
}

void JsonBuilder::Number(double value, int decimals) {
    BeforeValue();
    AppendJsonNumber(text_, value, decimals);
}

void JsonBuilder::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
}

std::string JsonBuilder::Take() {
    PutPendingBreak();
    std::string taken;
    taken.swap(text_);
    return taken;
}

}  // namespace vm
