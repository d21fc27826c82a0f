#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/FileSystem.h"

namespace vm {

// Most section headers and other non-blank lines one document holds. A line costs at most
// about 70 bytes (its record and index slots), so a junk file of tiny lines stays below
// ~280 MB beside its text; a list of 500,000 downloads needs 2,000,027 lines.
constexpr size_t kMaxIniLines = 4'000'000;

// An INI document in memory, read once and written once, with the rules of the Windows
// private-profile functions: section and key names match case-insensitively (ASCII), the
// first section and the first key of a name win, a value loses its surrounding blanks and
// one pair of enclosing double or single quotes, lines end at CR, LF or CR LF, text is 8-bit.
// Lookups and inserts are hashed (small sections are searched along their few lines), so
// reading or writing a whole file is linear in its size. A parsed document is written back
// with every line it did not change as it was read (spacing, comments, blank lines; only
// line ends become CR LF and blank lines lose their blanks).
class IniFile {
public:
    IniFile();

    // Replaces the document with the parsed text. False (and an empty document) when the
    // text has more than kMaxIniLines lines; a leading UTF-8 byte order mark is skipped.
    // Moving the text in spares a copy of the whole file.
    [[nodiscard]] bool Parse(std::string text);

    // The value of the key, trimmed and unquoted and cut at a NUL; valid until the next
    // change. False when the section or the key is absent (an empty value is found).
    bool Find(std::string_view section, std::string_view key, std::string_view* value) const;

    // Sets the key's value in place (a line whose value is already that one stays as it
    // was), or appends the key to the end of its section, the section to the end of the
    // document. A value that would not read back as written
    // (surrounding blanks, enclosing quotes) is stored in double quotes; line breaks
    // become spaces and a NUL ends the value, so a value can never add lines.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the first key of that name from the section; false when there was none.
    bool Remove(std::string_view section, std::string_view key);

    bool HasSection(std::string_view section) const;

    // Calls visit(name) for every section header, in file order, repeated names included.
    template <typename Visit>
    void ForEachSection(Visit&& visit) const {
        for (size_t s = 1; s < sections_.size(); ++s) visit(Text(sections_[s].name));
    }

    // Room for a document about to be built: its text bytes and its lines.
    void Reserve(size_t textBytes, size_t lines);

    // The document as file text with CR LF line ends.
    std::string Serialize() const;
    // The length of that text.
    size_t SerializedSize() const;
    // The same text written in blocks; false when a write failed.
    bool WriteTo(OutputFile& out) const;

    // Section headers and non-blank lines held.
    size_t LineCount() const { return lines_.size() + sections_.size() - 1; }

private:
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    enum class LineKind : uint8_t { Key, Other, Removed };
    struct Line {
        Span name;  // the whole line for kOther
        Span value;
        Span raw;  // the line as read; written back while it is not edited
        uint32_t next = kNone;
        uint32_t section = 0;
        uint32_t blanksBefore = 0;  // blank lines read before it
        LineKind kind = LineKind::Other;
        bool edited = false;
    };
    struct Section {
        Span name;
        Span raw;  // the header line as read; empty for a section added
        uint32_t blanksBefore = 0;
        uint32_t first = kNone;
        uint32_t last = kNone;
        uint32_t keyCount = 0;
        bool firstOfName = false;  // the one lookups of this name find
        bool keysIndexed = false;  // past kLinearKeyLimit keys: looked up by hash
    };
    // A section of this many keys or fewer is searched along its lines, which lie together
    // in memory; hashing pays only for larger ones (the language file's "strings").
    static constexpr uint32_t kLinearKeyLimit = 16;
    // Open addressing, power-of-two sized, at most half full. A slot keeps its entry's
    // hash, so probing and growing rarely touch the entries themselves.
    struct Slot {
        uint32_t entry = 0;  // index + 1; 0 = empty
        uint32_t hash = 0;
    };
    struct HashIndex {
        std::vector<Slot> slots;
        size_t used = 0;
    };
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    std::string_view Text(Span span) const { return {text_.data() + span.offset, span.length}; }
    Span Append(std::string_view text);
    uint32_t AddSection(Span name, Span raw, bool knownNew);
    void AddLine(uint32_t section, const Line& line);
    void IndexKey(uint32_t section, uint32_t line);
    void InsertKey(uint32_t section, uint32_t line);
    uint32_t FindSection(std::string_view name) const;
    uint32_t FindKey(uint32_t section, std::string_view key) const;
    // The indexed (first) key of the name, also when removed.
    uint32_t FindIndexedKey(uint32_t section, std::string_view key, uint32_t hash) const;
    static uint32_t NameHash(uint64_t seed, std::string_view name);
    void ParseLine(std::string_view line, uint32_t blanksBefore);
    template <typename Sink>
    void Emit(Sink&& sink) const;
    void Clear();
    static void Grow(HashIndex& index, size_t minimumSlots);
    static void Insert(HashIndex& index, uint32_t hash, uint32_t entry);

    std::string text_;               // the file's text, then every name and value added since
    std::vector<Section> sections_;  // [0]: lines before the first section header
    std::vector<Line> lines_;
    HashIndex sectionIndex_;
    HashIndex keyIndex_;
    // The section found last: files are mostly read in their own order, so the next lookup
    // is usually this one or the one after it, already in the cache.
    mutable uint32_t lastSection_ = 0;
    uint32_t trailingBlanks_ = 0;  // blank lines at the end of the file read
};

// Text helpers shared by the profile readers.
bool IniEqualNoCase(std::string_view a, std::string_view b);

}  // namespace vm
