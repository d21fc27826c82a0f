#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

// What the configuration needs from the download list; the list implements it (the
// signatures match the list model's own, so it can derive from this directly).
class ColumnLayoutExchange {
public:
    virtual ~ColumnLayoutExchange() = default;
    // Saving: the layout as read back from the list view, 4 bytes per column.
    virtual std::vector<uint8_t> LayoutBytes() = 0;
    virtual int32_t SortCode() const = 0;
    // Loading, only when "Columns" held text: the current layout with the stored bytes
    // over its start (a short value leaves the rest as it was). The list applies its
    // acceptance rule (two columns at position 0 reject it); false when it did.
    virtual bool ApplyLayoutBytes(const std::vector<uint8_t>& bytes) = 0;
    // Loading: the stored sort code (0 when absent), used unchecked at the next refill.
    virtual void SetSortCode(int32_t code) = 0;
};

}  // namespace vm
