#include "core/list/ColumnLayout.h"

#include <algorithm>

namespace vm {
namespace {

int16_t ReadInt16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void WriteInt16(int16_t value, uint8_t* p) {
    const uint16_t bits = static_cast<uint16_t>(value);
    p[0] = static_cast<uint8_t>(bits & 0xFF);
    p[1] = static_cast<uint8_t>(bits >> 8);
}

}  // namespace

ColumnLayout::ColumnLayout(size_t columnCount) : entries_(columnCount) {
    for (size_t i = 0; i < columnCount; ++i) entries_[i].position = static_cast<int16_t>(i);
}

std::vector<uint8_t> ColumnLayout::Bytes() const {
    std::vector<uint8_t> bytes(entries_.size() * kLayoutBytesPerColumn);
    for (size_t i = 0; i < entries_.size(); ++i) {
        WriteInt16(entries_[i].width, &bytes[i * kLayoutBytesPerColumn]);
        WriteInt16(entries_[i].position, &bytes[i * kLayoutBytesPerColumn + 2]);
    }
    return bytes;
}

bool ColumnLayout::Decode(const uint8_t* data, size_t size,
                          std::vector<ColumnLayoutEntry>* out) const {
    if (data == nullptr || size != entries_.size() * kLayoutBytesPerColumn) return false;
    out->resize(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        (*out)[i].width = ReadInt16(data + i * kLayoutBytesPerColumn);
        (*out)[i].position = ReadInt16(data + i * kLayoutBytesPerColumn + 2);
    }
    return true;
}

bool ColumnLayout::ApplyBytes(const uint8_t* data, size_t size, std::vector<Change>* applied) {
    std::vector<ColumnLayoutEntry> stored;
    if (!Decode(data, size, &stored)) return false;
    const auto leftmost = std::count_if(stored.begin(), stored.end(),
                                        [](const ColumnLayoutEntry& e) { return e.position == 0; });
    if (leftmost >= 2) return false;
    if (applied != nullptr) applied->clear();
    const size_t count = stored.size();
    for (size_t position = 0; position < count; ++position) {
        for (size_t column = 0; column < count; ++column) {
            if (stored[column].position < 0 ||
                static_cast<size_t>(stored[column].position) != position) {
                continue;
            }
            entries_[column].position = stored[column].position;
            const bool widthApplied =
                stored[column].width >= 0 && stored[column].width < kMaxAppliedColumnWidth;
            if (widthApplied) entries_[column].width = stored[column].width;
            if (applied != nullptr) {
                applied->push_back({static_cast<int>(column), stored[column].width,
                                    stored[column].position, widthApplied});
            }
            break;
        }
    }
    return true;
}

void ColumnLayout::VisibleOrder(std::vector<int>* order) const { VisibleOrderOf(entries_, order); }

void VisibleOrderOf(const std::vector<ColumnLayoutEntry>& entries, std::vector<int>* order) {
    order->clear();
    const int count = static_cast<int>(entries.size());
    if (count == 0) return;
    for (int position = 0; position < count; ++position) {
        for (int column = 0; column < count; ++column) {
            const ColumnLayoutEntry& e = entries[column];
            if (e.width <= 0) continue;
            const int clamped = std::clamp<int>(e.position, 0, count - 1);
            if (clamped == position) order->push_back(column);
        }
    }
}

}  // namespace vm
