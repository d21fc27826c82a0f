#include "ini/IniFile.h"

#include <limits>

namespace vm {
namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;
constexpr uint64_t kSectionSeed = 0x9E3779B97F4A7C15ull;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The blanks the profile reader strips: white space and the old end-of-file mark.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' ||
           c == '\x1A';
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trim(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// The stored form of a value that reads back exactly as given.
std::string EncodeValue(std::string_view value) {
    std::string text(value.substr(0, value.find('\0')));
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const bool quote = !text.empty() &&
                       (IsBlank(text.front()) || IsBlank(text.back()) ||
                        (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front()));
    return quote ? '"' + text + '"' : text;
}

}  // namespace

bool IniEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

IniFile::IniFile() { Clear(); }

void IniFile::Clear() {
    text_.clear();
    sections_.assign(1, Section());
    lines_.clear();
    sectionIndex_ = HashIndex();
    keyIndex_ = HashIndex();
}

uint64_t IniFile::NameHash(uint64_t seed, std::string_view name) {
    uint64_t hash = kFnvOffset ^ seed;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(Lower(c));
        hash *= kFnvPrime;
    }
    return hash ^ (hash >> 29);
}

IniFile::Span IniFile::Append(std::string_view text) {
    // Offsets are 32-bit; the callers' size bounds keep a document far below that.
    if (text_.size() + text.size() > std::numeric_limits<uint32_t>::max()) return Span();
    Span span{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(text.size())};
    text_.append(text.data(), text.size());
    return span;
}

bool IniFile::Parse(std::string_view text) {
    Clear();
    if (text.size() >= std::numeric_limits<uint32_t>::max()) return false;
    text_.assign(text.data(), text.size());
    const char* data = text_.data();
    const size_t size = text_.size();
    size_t pos = 0;
    while (pos < size) {
        size_t end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
        const size_t start = pos;
        pos = end;
        while (pos < size && (data[pos] == '\r' || data[pos] == '\n')) ++pos;
        if (LineCount() >= kMaxIniLines) {
            // Only a non-blank line counts against the bound.
            if (Trim(std::string_view(data + start, end - start)).empty()) continue;
            Clear();
            return false;
        }
        ParseLine(std::string_view(data + start, end - start));
    }
    return true;
}

void IniFile::ParseLine(std::string_view raw) {
    std::string_view line = Trim(raw);
    // Byte order marks before the first line (also after blanks) are no part of it.
    while (lines_.empty() && sections_.size() == 1 && line.substr(0, 3) == kByteOrderMark) {
        line = Trim(line.substr(3));
    }
    if (line.empty()) return;
    const uint32_t base = static_cast<uint32_t>(line.data() - text_.data());
    if (line.front() == '[') {
        const size_t close = line.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            AddSection(Span{base + 1, static_cast<uint32_t>(close - 1)});
            return;
        }
    }
    const uint32_t section = static_cast<uint32_t>(sections_.size() - 1);
    Line entry;
    entry.section = section;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        entry.name = Span{base, static_cast<uint32_t>(line.size())};
        AddLine(section, entry);
        return;
    }
    const std::string_view name = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    entry.kind = LineKind::kKey;
    entry.name = Span{base, static_cast<uint32_t>(name.size())};
    entry.value = Span{static_cast<uint32_t>(value.data() - text_.data()),
                       static_cast<uint32_t>(value.size())};
    AddLine(section, entry);
    IndexKey(section, static_cast<uint32_t>(lines_.size() - 1));
}

uint32_t IniFile::AddSection(Span name) {
    const uint32_t index = static_cast<uint32_t>(sections_.size());
    Section section;
    section.name = name;
    sections_.push_back(section);
    const std::string_view text = Text(name);
    if (FindSection(text) != kNone) return index;  // a repeated name is never looked up
    if ((sectionIndex_.used + 1) * 2 > sectionIndex_.slots.size()) GrowSectionIndex();
    const size_t mask = sectionIndex_.slots.size() - 1;
    size_t slot = NameHash(kSectionSeed, text) & mask;
    while (sectionIndex_.slots[slot] != 0) slot = (slot + 1) & mask;
    sectionIndex_.slots[slot] = index + 1;
    ++sectionIndex_.used;
    return index;
}

void IniFile::AddLine(uint32_t section, const Line& line) {
    const uint32_t index = static_cast<uint32_t>(lines_.size());
    lines_.push_back(line);
    Section& s = sections_[section];
    if (s.last == kNone) {
        s.first = index;
    } else {
        lines_[s.last].next = index;
    }
    s.last = index;
}

void IniFile::IndexKey(uint32_t section, uint32_t line) {
    const std::string_view name = Text(lines_[line].name);
    if (keyIndex_.used + 1 > keyIndex_.slots.size() / 2) GrowKeyIndex();
    const size_t mask = keyIndex_.slots.size() - 1;
    size_t slot = NameHash(section, name) & mask;
    while (keyIndex_.slots[slot] != 0) {
        const Line& other = lines_[keyIndex_.slots[slot] - 1];
        if (other.section == section && IniEqualNoCase(Text(other.name), name)) return;
        slot = (slot + 1) & mask;
    }
    keyIndex_.slots[slot] = line + 1;
    ++keyIndex_.used;
}

void IniFile::GrowSectionIndex() {
    const size_t size = sectionIndex_.slots.empty() ? 64 : sectionIndex_.slots.size() * 2;
    std::vector<uint32_t> old;
    old.swap(sectionIndex_.slots);
    sectionIndex_.slots.assign(size, 0);
    for (uint32_t entry : old) {
        if (entry == 0) continue;
        size_t slot = NameHash(kSectionSeed, Text(sections_[entry - 1].name)) & (size - 1);
        while (sectionIndex_.slots[slot] != 0) slot = (slot + 1) & (size - 1);
        sectionIndex_.slots[slot] = entry;
    }
}

void IniFile::GrowKeyIndex() {
    const size_t size = keyIndex_.slots.empty() ? 64 : keyIndex_.slots.size() * 2;
    std::vector<uint32_t> old;
    old.swap(keyIndex_.slots);
    keyIndex_.slots.assign(size, 0);
    for (uint32_t entry : old) {
        if (entry == 0) continue;
        const Line& line = lines_[entry - 1];
        size_t slot = NameHash(line.section, Text(line.name)) & (size - 1);
        while (keyIndex_.slots[slot] != 0) slot = (slot + 1) & (size - 1);
        keyIndex_.slots[slot] = entry;
    }
}

uint32_t IniFile::FindSection(std::string_view name) const {
    if (sectionIndex_.slots.empty()) return kNone;
    const size_t mask = sectionIndex_.slots.size() - 1;
    for (size_t slot = NameHash(kSectionSeed, name) & mask; sectionIndex_.slots[slot] != 0;
         slot = (slot + 1) & mask) {
        const uint32_t index = sectionIndex_.slots[slot] - 1;
        if (IniEqualNoCase(Text(sections_[index].name), name)) return index;
    }
    return kNone;
}

uint32_t IniFile::FindKey(uint32_t section, std::string_view key) const {
    if (keyIndex_.slots.empty()) return kNone;
    const size_t mask = keyIndex_.slots.size() - 1;
    for (size_t slot = NameHash(section, key) & mask; keyIndex_.slots[slot] != 0;
         slot = (slot + 1) & mask) {
        const uint32_t index = keyIndex_.slots[slot] - 1;
        const Line& line = lines_[index];
        if (line.section != section || !IniEqualNoCase(Text(line.name), key)) continue;
        if (line.kind == LineKind::kKey) return index;
        // The indexed key was removed: a later one of the same name now comes first.
        for (uint32_t i = line.next; i != kNone; i = lines_[i].next) {
            if (lines_[i].kind == LineKind::kKey && IniEqualNoCase(Text(lines_[i].name), key)) {
                return i;
            }
        }
        return kNone;
    }
    return kNone;
}

bool IniFile::Find(std::string_view section, std::string_view key, std::string_view* value) const {
    const uint32_t s = FindSection(section);
    if (s == kNone) return false;
    const uint32_t k = FindKey(s, key);
    if (k == kNone) return false;
    std::string_view text = Text(lines_[k].value);
    if (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    *value = text.substr(0, text.find('\0'));
    return true;
}

bool IniFile::HasSection(std::string_view section) const { return FindSection(section) != kNone; }

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    // Copies first: the arguments may point into text_, which Append can move.
    const std::string sectionName(section);
    const std::string keyName(key);
    const std::string stored = EncodeValue(value);
    uint32_t s = FindSection(sectionName);
    if (s == kNone) s = AddSection(Append(sectionName));
    const uint32_t k = FindKey(s, keyName);
    if (k != kNone) {
        lines_[k].value = Append(stored);
        return;
    }
    Line line;
    line.kind = LineKind::kKey;
    line.section = s;
    line.name = Append(keyName);
    line.value = Append(stored);
    AddLine(s, line);
    IndexKey(s, static_cast<uint32_t>(lines_.size() - 1));
}

bool IniFile::Remove(std::string_view section, std::string_view key) {
    const uint32_t s = FindSection(section);
    if (s == kNone) return false;
    const uint32_t k = FindKey(s, key);
    if (k == kNone) return false;
    lines_[k].kind = LineKind::kRemoved;
    return true;
}

std::string IniFile::Serialize() const {
    std::string out;
    out.reserve(text_.size() + (lines_.size() + sections_.size()) * 4);
    for (size_t s = 0; s < sections_.size(); ++s) {
        if (s > 0) {
            out += '[';
            out += Text(sections_[s].name);
            out += "]\r\n";
        }
        for (uint32_t i = sections_[s].first; i != kNone; i = lines_[i].next) {
            const Line& line = lines_[i];
            if (line.kind == LineKind::kRemoved) continue;
            out += Text(line.name);
            if (line.kind == LineKind::kKey) {
                out += '=';
                out += Text(line.value);
            }
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace vm
