#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

// Bytes per column in the stored layout: int16 width, int16 display position, little-endian.
constexpr size_t kLayoutBytesPerColumn = 4;
// A stored width is applied only below this.
constexpr int kMaxAppliedColumnWidth = 2000;
constexpr int16_t kInitialColumnWidth = 100;

struct ColumnLayoutEntry {
    int16_t width = kInitialColumnWidth;  // pixels; 0 or less: hidden
    int16_t position = 0;                 // display position, 0 = leftmost
};

// Width and display position of every column, indexed by column index.
class ColumnLayout {
public:
    // Every column 100 pixels wide, shown in column-index order.
    explicit ColumnLayout(size_t columnCount);

    size_t ColumnCount() const { return entries_.size(); }
    const ColumnLayoutEntry& Entry(size_t column) const { return entries_[column]; }
    void SetEntry(size_t column, ColumnLayoutEntry entry) { entries_[column] = entry; }

    // The stored form: ColumnCount() * kLayoutBytesPerColumn bytes.
    std::vector<uint8_t> Bytes() const;

    // A stored layout decoded into entries; false when its size does not match.
    [[nodiscard]] bool Decode(const uint8_t* data, size_t size,
                              std::vector<ColumnLayoutEntry>* out) const;

    // Applies a stored layout: rejected (false, nothing changes) when its size is wrong or
    // two columns claim position 0. Otherwise, for each display position, the first column
    // claiming it takes that position, and its width too when the width is 0..1999.
    // Each change made is listed in applied when given, for a control to follow.
    struct Change {
        int column;
        int width;
        int position;
        bool widthApplied;
    };
    bool ApplyBytes(const uint8_t* data, size_t size, std::vector<Change>* applied = nullptr);

    // Shown columns (width above 0) in display order; positions are clamped to the
    // column range and ties go by column index.
    void VisibleOrder(std::vector<int>* order) const;

private:
    std::vector<ColumnLayoutEntry> entries_;
};

// The visible order of any set of entries, by the same rule.
void VisibleOrderOf(const std::vector<ColumnLayoutEntry>& entries, std::vector<int>* order);

}  // namespace vm
