#include "core/base/JsonReader.h"

#include <cfloat>
#include <charconv>
#include <cstring>

namespace vm {
namespace {

class Parser {
public:
    Parser(const char* text, size_t size) : at_(text), end_(text + size) {}

    bool ParseDocument(JsonValue* value) {
        SkipSpace();
        if (!ParseValue(value, 0)) return false;
        SkipSpace();
        return at_ == end_;
    }

private:
    void SkipSpace() {
        while (at_ < end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
    }

    bool Literal(const char* word) {
        const size_t length = std::strlen(word);
        if (static_cast<size_t>(end_ - at_) < length || std::memcmp(at_, word, length) != 0)
            return false;
        at_ += length;
        return true;
    }

    bool ParseValue(JsonValue* value, int depth) {
        if (at_ >= end_) return false;
        switch (*at_) {
            case '{':
                return ParseObject(value, depth + 1);
            case '[':
                return ParseArray(value, depth + 1);
            case '"':
                value->kind = JsonValue::Kind::String;
                return ParseString(&value->text);
            case 't':
                value->kind = JsonValue::Kind::Bool;
                value->boolean = true;
                return Literal("true");
            case 'f':
                value->kind = JsonValue::Kind::Bool;
                return Literal("false");
            case 'n':
                return Literal("null");
            default:
                return ParseNumber(value);
        }
    }

    bool ParseObject(JsonValue* value, int depth) {
        if (depth > kMaxJsonDepth) return false;
        value->kind = JsonValue::Kind::Object;
        ++at_;
        SkipSpace();
        if (at_ < end_ && *at_ == '}') {
            ++at_;
            return true;
        }
        while (true) {
            SkipSpace();
            std::string key;
            if (at_ >= end_ || *at_ != '"' || !ParseString(&key)) return false;
            SkipSpace();
            if (at_ >= end_ || *at_ != ':') return false;
            ++at_;
            SkipSpace();
            value->members.emplace_back(std::move(key), JsonValue());
            if (!ParseValue(&value->members.back().second, depth)) return false;
            SkipSpace();
            if (at_ >= end_) return false;
            if (*at_ == '}') {
                ++at_;
                return true;
            }
            if (*at_++ != ',') return false;
        }
    }

    bool ParseArray(JsonValue* value, int depth) {
        if (depth > kMaxJsonDepth) return false;
        value->kind = JsonValue::Kind::Array;
        ++at_;
        SkipSpace();
        if (at_ < end_ && *at_ == ']') {
            ++at_;
            return true;
        }
        while (true) {
            SkipSpace();
            value->elements.emplace_back();
            if (!ParseValue(&value->elements.back(), depth)) return false;
            SkipSpace();
            if (at_ >= end_) return false;
            if (*at_ == ']') {
                ++at_;
                return true;
            }
            if (*at_++ != ',') return false;
        }
    }

    bool ParseNumber(JsonValue* value) {
        // JSON's grammar is stricter than from_chars: no leading '+', no bare '.', no
        // leading zeros, no "inf".
        const char* start = at_;
        const char* p = at_;
        if (p < end_ && *p == '-') ++p;
        if (p >= end_ || *p < '0' || *p > '9') return false;
        if (*p == '0') {
            ++p;
        } else {
            while (p < end_ && *p >= '0' && *p <= '9') ++p;
        }
        if (p < end_ && *p == '.') {
            ++p;
            if (p >= end_ || *p < '0' || *p > '9') return false;
            while (p < end_ && *p >= '0' && *p <= '9') ++p;
        }
        if (p < end_ && (*p == 'e' || *p == 'E')) {
            ++p;
            if (p < end_ && (*p == '+' || *p == '-')) ++p;
            if (p >= end_ || *p < '0' || *p > '9') return false;
            while (p < end_ && *p >= '0' && *p <= '9') ++p;
        }
        double number = 0;
        const std::from_chars_result result = std::from_chars(start, p, number);
        if (result.ptr != p) return false;
        if (result.ec == std::errc::result_out_of_range) {
            // Still a number: too small is zero, too large the largest magnitude.
            const bool tiny = NegativeExponent(start, p);
            number = tiny ? 0 : (*start == '-' ? -DBL_MAX : DBL_MAX);
        }
        value->kind = JsonValue::Kind::Number;
        value->number = number;
        at_ = p;
        return true;
    }

    static bool NegativeExponent(const char* start, const char* end) {
        for (const char* q = start; q + 1 < end; ++q) {
            if (*q == 'e' || *q == 'E') return q[1] == '-';
        }
        return false;
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool ReadHex4(uint32_t* unit) {
        if (end_ - at_ < 4) return false;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const int d = HexDigit(at_[i]);
            if (d < 0) return false;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        at_ += 4;
        *unit = v;
        return true;
    }

    static void PutUtf8(std::string* out, uint32_t code) {
        if (code < 0x80) {
            out->push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (code >> 6)));
            out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (code >> 12)));
            out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (code >> 18)));
            out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

    bool ParseEscape(std::string* out) {
        if (at_ >= end_) return false;
        const char c = *at_++;
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out->push_back(c);
                return true;
            case 'b':
                out->push_back('\b');
                return true;
            case 'f':
                out->push_back('\f');
                return true;
            case 'n':
                out->push_back('\n');
                return true;
            case 'r':
                out->push_back('\r');
                return true;
            case 't':
                out->push_back('\t');
                return true;
            case 'u':
                break;
            default:
                return false;
        }
        uint32_t code = 0;
        if (!ReadHex4(&code)) return false;
        if (code >= 0xD800 && code < 0xDC00) {
            // A high surrogate pairs with the low one that must follow; alone it stands
            // for nothing and becomes U+FFFD.
            uint32_t low = 0;
            const char* mark = at_;
            if (end_ - at_ >= 2 && at_[0] == '\\' && at_[1] == 'u') {
                at_ += 2;
                if (ReadHex4(&low) && low >= 0xDC00 && low < 0xE000) {
                    PutUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                    return true;
                }
            }
            at_ = mark;
            code = 0xFFFD;
        } else if (code >= 0xDC00 && code < 0xE000) {
            code = 0xFFFD;
        }
        PutUtf8(out, code);
        return true;
    }

    bool ParseString(std::string* out) {
        ++at_;  // the opening quote
        while (at_ < end_) {
            const char c = *at_;
            if (c == '"') {
                ++at_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                ++at_;
                if (!ParseEscape(out)) return false;
                continue;
            }
            // Plain runs are copied at once rather than byte by byte.
            const char* run = at_;
            while (at_ < end_ && *at_ != '"' && *at_ != '\\' &&
                   static_cast<unsigned char>(*at_) >= 0x20) {
                ++at_;
            }
            out->append(run, static_cast<size_t>(at_ - run));
        }
        return false;
    }

    const char* at_;
    const char* end_;
};

}  // namespace

const JsonValue* JsonValue::Find(const char* key) const {
    if (kind != Kind::Object) return nullptr;
    for (const auto& member : members) {
        if (member.first == key) return &member.second;
    }
    return nullptr;
}

double JsonValue::NumberOr(const char* key, double fallback) const {
    const JsonValue* v = Find(key);
    return v != nullptr && v->kind == Kind::Number ? v->number : fallback;
}

std::string JsonValue::TextOr(const char* key, const std::string& fallback) const {
    const JsonValue* v = Find(key);
    return v != nullptr && v->kind == Kind::String ? v->text : fallback;
}

bool ParseJson(const char* text, size_t size, JsonValue* value) {
    *value = JsonValue();
    Parser parser(text, size);
    return parser.ParseDocument(value);
}

}  // namespace vm
