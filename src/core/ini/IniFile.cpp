#include "core/ini/IniFile.h"

#include <algorithm>
#include <limits>

namespace vm {
namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;
constexpr uint64_t kSectionSeed = 0x9E3779B97F4A7C15ull;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The blanks the profile reader strips: white space and the old end-of-file mark.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
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
    lastSection_ = 0;
    trailingBlanks_ = 0;
}

uint32_t IniFile::NameHash(uint64_t seed, std::string_view name) {
    uint64_t hash = kFnvOffset ^ seed;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(Lower(c));
        hash *= kFnvPrime;
    }
    // FNV only mixes upwards, and the slot comes from the low bits: finish with a full mix.
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(hash ^ (hash >> 33));
}

void IniFile::Grow(HashIndex& index, size_t minimumSlots) {
    size_t size = index.slots.empty() ? 64 : index.slots.size();
    while (size < minimumSlots) size *= 2;
    if (size == index.slots.size()) return;
    std::vector<Slot> old;
    old.swap(index.slots);
    index.slots.assign(size, Slot());
    index.used = 0;
    for (const Slot& slot : old) {
        if (slot.entry != 0) Insert(index, slot.hash, slot.entry);
    }
}

void IniFile::Insert(HashIndex& index, uint32_t hash, uint32_t entry) {
    const size_t mask = index.slots.size() - 1;
    size_t slot = hash & mask;
    while (index.slots[slot].entry != 0) slot = (slot + 1) & mask;
    index.slots[slot] = Slot{entry, hash};
    ++index.used;
}

IniFile::Span IniFile::Append(std::string_view text) {
    // Offsets are 32-bit; the callers' size bounds keep a document far below that.
    if (text_.size() + text.size() > std::numeric_limits<uint32_t>::max()) return Span();
    Span span{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(text.size())};
    text_.append(text.data(), text.size());
    return span;
}

bool IniFile::Parse(std::string text) {
    Clear();
    if (text.size() >= std::numeric_limits<uint32_t>::max()) return false;
    text_ = std::move(text);
    const size_t lineEstimate =
        1 + static_cast<size_t>(std::count(text_.begin(), text_.end(), '\n'));
    lines_.reserve(lineEstimate < kMaxIniLines ? lineEstimate : kMaxIniLines);
    const char* data = text_.data();
    const size_t size = text_.size();
    size_t pos = 0;
    uint32_t blanks = 0;
    while (pos < size) {
        size_t end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
        const size_t start = pos;
        // One line end: CR LF, CR or LF.
        pos = end;
        if (pos < size && data[pos] == '\r') ++pos;
        if (pos < size && data[pos] == '\n' && (pos == end || data[pos - 1] == '\r')) ++pos;
        const std::string_view line(data + start, end - start);
        if (Trim(line).empty() && !(lines_.empty() && sections_.size() == 1 &&
                                    line.find(kByteOrderMark) != std::string_view::npos)) {
            // Only a non-blank line counts against the bound.
            if (blanks < std::numeric_limits<uint32_t>::max()) ++blanks;
            continue;
        }
        if (LineCount() >= kMaxIniLines) {
            Clear();
            return false;
        }
        ParseLine(line, blanks);
        blanks = 0;
    }
    trailingBlanks_ = blanks;
    return true;
}

void IniFile::ParseLine(std::string_view raw, uint32_t blanksBefore) {
    const Span rawSpan{static_cast<uint32_t>(raw.data() - text_.data()),
                       static_cast<uint32_t>(raw.size())};
    std::string_view line = Trim(raw);
    // Byte order marks before the first line (also after blanks) are no part of it.
    while (lines_.empty() && sections_.size() == 1 && line.substr(0, 3) == kByteOrderMark) {
        line = Trim(line.substr(3));
    }
    if (line.empty()) {
        // Only byte order marks: kept as a line of its own so that they are written back.
        Line marks;
        marks.raw = rawSpan;
        marks.blanksBefore = blanksBefore;
        marks.section = static_cast<uint32_t>(sections_.size() - 1);
        AddLine(marks.section, marks);
        return;
    }
    const uint32_t base = static_cast<uint32_t>(line.data() - text_.data());
    if (line.front() == '[') {
        const size_t close = line.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            const Span name{base + 1, static_cast<uint32_t>(close - 1)};
            const uint32_t index = AddSection(name, rawSpan, false);
            sections_[index].blanksBefore = blanksBefore;
            return;
        }
    }
    const uint32_t section = static_cast<uint32_t>(sections_.size() - 1);
    Line entry;
    entry.section = section;
    entry.raw = rawSpan;
    entry.blanksBefore = blanksBefore;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        entry.name = Span{base, static_cast<uint32_t>(line.size())};
        AddLine(section, entry);
        return;
    }
    const std::string_view name = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    entry.kind = LineKind::Key;
    entry.name = Span{base, static_cast<uint32_t>(name.size())};
    entry.value = Span{static_cast<uint32_t>(value.data() - text_.data()),
                       static_cast<uint32_t>(value.size())};
    AddLine(section, entry);
    IndexKey(section, static_cast<uint32_t>(lines_.size() - 1));
}

uint32_t IniFile::AddSection(Span name, Span raw, bool knownNew) {
    const uint32_t index = static_cast<uint32_t>(sections_.size());
    Section section;
    section.name = name;
    section.raw = raw;
    sections_.push_back(section);
    const std::string_view text = Text(name);
    if (!knownNew && FindSection(text) != kNone) return index;  // a repeated name: never found
    sections_[index].firstOfName = true;
    if ((sectionIndex_.used + 1) * 2 > sectionIndex_.slots.size()) {
        Grow(sectionIndex_, (sectionIndex_.used + 1) * 2);
    }
    Insert(sectionIndex_, NameHash(kSectionSeed, text), index + 1);
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
    Section& s = sections_[section];
    ++s.keyCount;
    if (s.keysIndexed) {
        InsertKey(section, line);
    } else if (s.keyCount > kLinearKeyLimit) {
        s.keysIndexed = true;
        for (uint32_t i = s.first; i != kNone; i = lines_[i].next) {
            if (lines_[i].kind != LineKind::Other) InsertKey(section, i);
        }
    }
}

void IniFile::InsertKey(uint32_t section, uint32_t line) {
    const std::string_view name = Text(lines_[line].name);
    const uint32_t hash = NameHash(section, name);
    if (FindIndexedKey(section, name, hash) != kNone) return;  // the first one stays
    if ((keyIndex_.used + 1) * 2 > keyIndex_.slots.size())
        Grow(keyIndex_, (keyIndex_.used + 1) * 2);
    Insert(keyIndex_, hash, line + 1);
}

uint32_t IniFile::FindSection(std::string_view name) const {
    for (uint32_t candidate : {lastSection_, lastSection_ + 1}) {
        if (candidate < sections_.size() && sections_[candidate].firstOfName &&
            IniEqualNoCase(Text(sections_[candidate].name), name)) {
            lastSection_ = candidate;
            return candidate;
        }
    }
    if (sectionIndex_.slots.empty()) return kNone;
    const uint32_t hash = NameHash(kSectionSeed, name);
    const size_t mask = sectionIndex_.slots.size() - 1;
    for (size_t slot = hash & mask; sectionIndex_.slots[slot].entry != 0;
         slot = (slot + 1) & mask) {
        const Slot& s = sectionIndex_.slots[slot];
        if (s.hash == hash && IniEqualNoCase(Text(sections_[s.entry - 1].name), name)) {
            lastSection_ = s.entry - 1;
            return s.entry - 1;
        }
    }
    return kNone;
}

uint32_t IniFile::FindIndexedKey(uint32_t section, std::string_view key, uint32_t hash) const {
    if (keyIndex_.slots.empty()) return kNone;
    const size_t mask = keyIndex_.slots.size() - 1;
    for (size_t slot = hash & mask; keyIndex_.slots[slot].entry != 0; slot = (slot + 1) & mask) {
        const Slot& s = keyIndex_.slots[slot];
        if (s.hash != hash) continue;
        const Line& line = lines_[s.entry - 1];
        if (line.section == section && IniEqualNoCase(Text(line.name), key)) return s.entry - 1;
    }
    return kNone;
}

uint32_t IniFile::FindKey(uint32_t section, std::string_view key) const {
    const Section& s = sections_[section];
    uint32_t from = s.first;
    if (s.keysIndexed) {
        const uint32_t index = FindIndexedKey(section, key, NameHash(section, key));
        if (index == kNone || lines_[index].kind == LineKind::Key) return index;
        from = lines_[index].next;  // removed: a later key of the name now comes first
    }
    for (uint32_t i = from; i != kNone; i = lines_[i].next) {
        if (lines_[i].kind == LineKind::Key && IniEqualNoCase(Text(lines_[i].name), key)) return i;
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
    if (s == kNone) s = AddSection(Append(sectionName), Span(), true);
    const uint32_t k = FindKey(s, keyName);
    if (k != kNone) {
        if (Text(lines_[k].value) == stored) return;
        lines_[k].value = Append(stored);
        lines_[k].edited = true;
        return;
    }
    Line line;
    line.edited = true;
    line.kind = LineKind::Key;
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
    lines_[k].kind = LineKind::Removed;
    return true;
}

void IniFile::Reserve(size_t textBytes, size_t lines) {
    text_.reserve(text_.size() + textBytes);
    lines_.reserve(lines_.size() + lines);
}

template <typename Sink>
void IniFile::Emit(Sink&& sink) const {
    const auto blankLines = [&sink](uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) sink("\r\n");
    };
    for (size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (s > 0) {
            blankLines(section.blanksBefore);
            if (section.raw.length > 0) {
                sink(Text(section.raw));
                sink("\r\n");
            } else {
                sink("[");
                sink(Text(section.name));
                sink("]\r\n");
            }
        }
        for (uint32_t i = section.first; i != kNone; i = lines_[i].next) {
            const Line& line = lines_[i];
            blankLines(line.blanksBefore);
            if (line.kind == LineKind::Removed) continue;
            if (!line.edited) {
                sink(Text(line.raw));
            } else {
                sink(Text(line.name));
                sink("=");
                sink(Text(line.value));
            }
            sink("\r\n");
        }
    }
    blankLines(trailingBlanks_);
}

std::string IniFile::Serialize() const {
    std::string out;
    out.reserve(text_.size() + (lines_.size() + sections_.size()) * 4);
    Emit([&out](std::string_view piece) { out.append(piece.data(), piece.size()); });
    return out;
}

size_t IniFile::SerializedSize() const {
    size_t size = 0;
    Emit([&size](std::string_view piece) { size += piece.size(); });
    return size;
}

bool IniFile::WriteTo(OutputFile& out) const {
    constexpr size_t kBlock = 64 * 1024;
    std::string block;
    block.reserve(kBlock);
    bool ok = true;
    Emit([&](std::string_view piece) {
        if (block.size() + piece.size() > kBlock && !block.empty()) {
            ok = out.Write(block) && ok;
            block.clear();
        }
        if (piece.size() > kBlock) {
            ok = out.Write(piece.data(), piece.size()) && ok;
        } else {
            block.append(piece.data(), piece.size());
        }
    });
    if (!block.empty()) ok = out.Write(block) && ok;
    return ok;
}

}  // namespace vm
