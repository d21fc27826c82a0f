#include "core/base/TextSort.h"

#include <algorithm>

#include "core/base/TextMatch.h"

namespace vm {
namespace {

// Bytes keyed per row and round: enough to tell most URLs apart after their shared start,
// small enough for the sort's merges to stream through memory.
constexpr size_t kKeyWords = 4;
constexpr size_t kKeyBytes = 8 * kKeyWords;
constexpr unsigned char kFirstNonAscii = 0x80;
// Stands for any byte from 0x80 up: above every ASCII byte; the key ends there.
constexpr uint64_t kNonAsciiKeyByte = 0xFF;

inline unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

struct Key {
    uint64_t words[kKeyWords];
    bool operator==(const Key& other) const {
        for (size_t i = 0; i < kKeyWords; ++i) {
            if (words[i] != other.words[i]) return false;
        }
        return true;
    }
    bool operator<(const Key& other) const {
        for (size_t i = 0; i < kKeyWords; ++i) {
            if (words[i] != other.words[i]) return words[i] < other.words[i];
        }
        return false;
    }
};

struct KeyedRow {
    Key key;
    uint32_t row;
};

enum class KeyEnd { More, TextEnded, NonAscii };

// The folded bytes of a text, most significant first, ending at the text's end or at its
// first non-ASCII byte.
Key MakeKey(const char* text) {
    Key key = {};
    for (size_t i = 0; i < kKeyBytes; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\0') break;
        const int shift = static_cast<int>(8 * (7 - i % 8));
        if (c >= kFirstNonAscii) {
            key.words[i / 8] |= kNonAsciiKeyByte << shift;
            break;
        }
        key.words[i / 8] |= static_cast<uint64_t>(FoldAscii(c)) << shift;
    }
    return key;
}

// Keys are equal only for texts equal in those bytes, so how a key ends tells for both.
KeyEnd EndOf(const Key& key) {
    for (size_t i = 0; i < kKeyBytes; ++i) {
        const uint64_t byte = (key.words[i / 8] >> (8 * (7 - i % 8))) & 0xFF;
        if (byte == 0) return KeyEnd::TextEnded;
        if (byte == kNonAsciiKeyByte) return KeyEnd::NonAscii;
    }
    return KeyEnd::More;
}

class KeyedSort {
public:
    KeyedSort(const std::vector<char>& text, const std::vector<size_t>& offsets, bool descending)
        : text_(text), offsets_(offsets), descending_(descending) {}

    void Sort(std::vector<KeyedRow>* rows) {
        struct Range {
            size_t begin, end, at;
        };
        std::vector<Range> pending{{0, rows->size(), 0}};
        while (!pending.empty()) {
            Range range = pending.back();
            pending.pop_back();
            KeyedRow* first = rows->data() + range.begin;
            KeyedRow* last = rows->data() + range.end;
            // Bytes every text of the range shares need not be keyed one by one.
            range.at += SharedAsciiPrefix(first, last, range.at);
            for (KeyedRow* r = first; r != last; ++r) r->key = MakeKey(Text(r->row) + range.at);
            std::stable_sort(first, last, [this](const KeyedRow& a, const KeyedRow& b) {
                return descending_ ? b.key < a.key : a.key < b.key;
            });
            for (KeyedRow* run = first; run != last;) {
                KeyedRow* runEnd = run + 1;
                while (runEnd != last && runEnd->key == run->key) ++runEnd;
                if (runEnd - run > 1) {
                    switch (EndOf(run->key)) {
                        case KeyEnd::More:
                            pending.push_back({static_cast<size_t>(run - rows->data()),
                                               static_cast<size_t>(runEnd - rows->data()),
                                               range.at + kKeyBytes});
                            break;
                        case KeyEnd::NonAscii:
                            CompareWhole(run, runEnd, range.at);
                            break;
                        case KeyEnd::TextEnded:
                            break;  // equal texts keep their order
                    }
                }
                run = runEnd;
            }
        }
    }

private:
    const char* Text(uint32_t row) const { return &text_[offsets_[row]]; }

    // How many bytes from `at` every text of the range shares, ignoring case. Only ASCII
    // counts, so the shared part ends on a character boundary in any code page.
    size_t SharedAsciiPrefix(const KeyedRow* first, const KeyedRow* last, size_t at) const {
        const char* lead = Text(first->row) + at;
        size_t shared = 0;
        while (lead[shared] != '\0' && static_cast<unsigned char>(lead[shared]) < kFirstNonAscii) {
            ++shared;
        }
        for (const KeyedRow* r = first + 1; r != last && shared > 0; ++r) {
            const char* other = Text(r->row) + at;
            size_t i = 0;
            while (i < shared && FoldAscii(static_cast<unsigned char>(other[i])) ==
                                     FoldAscii(static_cast<unsigned char>(lead[i]))) {
                ++i;
            }
            shared = i;
        }
        return shared;
    }

    // Past a non-ASCII byte the texts are compared whole from there, as the comparison
    // itself treats such bytes.
    void CompareWhole(KeyedRow* first, KeyedRow* last, size_t at) const {
        std::stable_sort(first, last, [this, at](const KeyedRow& a, const KeyedRow& b) {
            const int r = CompareTextNoCase(Text(a.row) + at, Text(b.row) + at);
            return descending_ ? r > 0 : r < 0;
        });
    }

    const std::vector<char>& text_;
    const std::vector<size_t>& offsets_;
    bool descending_;
};

}  // namespace

void SortRowsByText(std::vector<uint32_t>* rows, const std::vector<char>& text,
                    const std::vector<size_t>& offsets, bool descending) {
    std::vector<KeyedRow> keyed;
    keyed.reserve(rows->size());
    for (uint32_t row : *rows) keyed.push_back({Key{}, row});
    KeyedSort(text, offsets, descending).Sort(&keyed);
    for (size_t i = 0; i < keyed.size(); ++i) (*rows)[i] = keyed[i].row;
}

}  // namespace vm
