#include "core/engine/PathIdentity.h"

#include <cstdio>

namespace vm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, const char* lowerName) {
    size_t i = 0;
    for (; i < a.size() && lowerName[i] != '\0'; ++i) {
        if (Lower(a[i]) != lowerName[i]) return false;
    }
    return i == a.size() && lowerName[i] == '\0';
}

int CapturedIndex(std::string_view name) {
    const std::vector<const char*>& names = CapturedHeaderNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (SameName(name, names[i])) return static_cast<int>(i);
    }
    return -1;
}

// One logical header line: the name and its raw value (continuations joined by a space).
struct HeaderLine {
    std::string_view name;
    std::string value;
};

// Splits the block into header lines, the status line and blank lines left out.
std::vector<HeaderLine> SplitHeaderLines(std::string_view block) {
    std::vector<HeaderLine> lines;
    bool first = true;
    size_t start = 0;
    while (start < block.size()) {
        size_t end = block.find('\n', start);
        if (end == std::string_view::npos) end = block.size();
        std::string_view line = block.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {  // the status line
            first = false;
            continue;
        }
        if (line.empty()) break;  // the end of the headers
        if (IsBlank(line[0])) {
            // An obsolete folded continuation of the header before it.
            while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
            if (!lines.empty()) {
                lines.back().value += ' ';
                lines.back().value.append(line.data(), line.size());
            }
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        std::string_view name = line.substr(0, colon);
        while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
        lines.push_back({name, std::string(line.substr(colon + 1))});
    }
    return lines;
}

}  // namespace

const std::string* PathIdentity::Header(std::string_view name) const {
    for (const auto& header : headers) {
        if (header.first == name) return &header.second;
    }
    return nullptr;
}

const std::vector<const char*>& CapturedHeaderNames() {
    static const std::vector<const char*> names = {"server",
                                                   "via",
                                                   "age",
                                                   "x-cache",
                                                   "x-cache-hits",
                                                   "x-cache-status",
                                                   "cf-cache-status",
                                                   "cf-ray",
                                                   "x-served-by",
                                                   "x-amz-cf-pop",
                                                   "x-amz-cf-id",
                                                   "content-type",
                                                   "etag",
                                                   "last-modified"};
    return names;
}

std::string CleanHeaderValue(std::string_view value) {
    std::string clean;
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) continue;
        clean += c;
    }
    size_t begin = 0;
    while (begin < clean.size() && clean[begin] == ' ') ++begin;
    size_t end = clean.size();
    while (end > begin && clean[end - 1] == ' ') --end;
    clean = clean.substr(begin, end - begin);
    if (clean.size() > kMaxCapturedHeaderValue) clean.resize(kMaxCapturedHeaderValue);
    return clean;
}

std::vector<std::pair<std::string, std::string>> CaptureHeaders(std::string_view block) {
    const std::vector<const char*>& names = CapturedHeaderNames();
    std::vector<std::string> values(names.size());
    std::vector<bool> present(names.size(), false);
    for (HeaderLine& line : SplitHeaderLines(block)) {
        const int index = CapturedIndex(line.name);
        if (index < 0) continue;
        std::string& value = values[static_cast<size_t>(index)];
        // Joined before cleaning, so a long first value still ends the kept text.
        if (present[static_cast<size_t>(index)]) value += ", ";
        present[static_cast<size_t>(index)] = true;
        std::string_view part = line.value;
        while (!part.empty() && IsBlank(part.front())) part.remove_prefix(1);
        while (!part.empty() && IsBlank(part.back())) part.remove_suffix(1);
        if (value.size() <= kMaxCapturedHeaderValue) value.append(part.data(), part.size());
    }
    std::vector<std::pair<std::string, std::string>> captured;
    for (size_t i = 0; i < names.size(); ++i) {
        if (present[i]) captured.emplace_back(names[i], CleanHeaderValue(values[i]));
    }
    return captured;
}

bool ParseAddressText(std::string_view text, std::string* address, AddressFamily* family) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) return false;
        text = text.substr(1, close - 1);
    }
    if (text.empty() || text.size() > kMaxAddressText) return false;
    size_t colons = 0;
    size_t dots = 0;
    for (char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (c == ':') {
            ++colons;
        } else if (c == '.') {
            ++dots;
        } else if (!hex && c != '%') {
            return false;
        }
    }
    AddressFamily found = AddressFamily::Unknown;
    if (colons >= 2) {
        found = AddressFamily::Ipv6;
    } else if (dots == 3) {
        found = AddressFamily::Ipv4;
        // "1.2.3.4:80": the port is not part of the address.
        if (colons == 1) text = text.substr(0, text.find(':'));
    } else {
        return false;
    }
    address->assign(text.data(), text.size());
    *family = found;
    return true;
}

std::string FormatIpv4(const uint8_t bytes[4]) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

std::string FormatIpv6(const uint8_t bytes[16]) {
    uint32_t groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = (uint32_t{bytes[2 * i]} << 8) | bytes[2 * i + 1];
    int bestStart = -1;
    int bestLength = 1;  // a single zero group is written out
    for (int i = 0; i < 8;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int j = i;
        while (j < 8 && groups[j] == 0) ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    std::string text;
    char group[8];
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') text += ':';
        std::snprintf(group, sizeof group, "%x", static_cast<unsigned>(groups[i]));
        text += group;
    }
    return text;
}

const char* FamilyWord(AddressFamily family) {
    switch (family) {
        case AddressFamily::Ipv4:
            return "ipv4";
        case AddressFamily::Ipv6:
            return "ipv6";
        case AddressFamily::Unknown:
            break;
    }
    return "";
}

std::string CacheStatus(const PathIdentity& identity) {
    for (const char* name : {"cf-cache-status", "x-cache-status", "x-cache"}) {
        const std::string* value = identity.Header(name);
        if (value == nullptr) continue;
        std::string word;
        for (char c : *value) {
            if (c == ' ' || c == ',' || c == ';') break;
            word += Upper(c);
        }
        if (!word.empty()) return word;
    }
    return std::string();
}

std::string TlsProtocolName(uint32_t protocol) {
    // The security package's protocol bits, client and server side of each version.
    struct Name {
        uint32_t bits;
        const char* text;
    };
    static const Name kNames[] = {{0x3000, "TLS 1.3"}, {0x0C00, "TLS 1.2"}, {0x0300, "TLS 1.1"},
                                  {0x00C0, "TLS 1.0"}, {0x0030, "SSL 3.0"}, {0x000C, "SSL 2.0"}};
    for (const Name& name : kNames) {
        if ((protocol & name.bits) != 0) return name.text;
    }
    return std::string();
}

std::string TlsCipherName(uint32_t algorithm, uint32_t strengthBits) {
    struct Name {
        uint32_t id;
        const char* text;
        uint32_t bits;  // the algorithm's own strength, when it has only one
    };
    static const Name kNames[] = {{0x660E, "AES", 128}, {0x660F, "AES", 192},  {0x6610, "AES", 256},
                                  {0x6611, "AES", 0},   {0x6603, "3DES", 168}, {0x6601, "DES", 56},
                                  {0x6602, "RC2", 0},   {0x6801, "RC4", 0}};
    for (const Name& name : kNames) {
        if (name.id != algorithm) continue;
        const uint32_t bits = strengthBits != 0 ? strengthBits : name.bits;
        if (bits == 0) return name.text;
        return std::string(name.text) + " " + std::to_string(bits);
    }
    return std::string();
}

}  // namespace vm
