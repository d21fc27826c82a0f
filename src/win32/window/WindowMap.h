#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

namespace vm {

// Window handle -> program object. Freed slots are reused before the table grows, and it
// grows by eight entries at a time, so opening and closing a dialog again and again keeps
// it at its first eight slots. It never shrinks.
template <typename Object>
class WindowMap {
public:
    static constexpr size_t kGrowth = 8;

    void Add(Object* object, HWND handle) {
        for (Entry& entry : entries_) {
            if (entry.object == nullptr) {
                entry = {object, handle};
                return;
            }
        }
        const size_t firstNew = entries_.size();
        entries_.resize(firstNew + kGrowth);
        entries_[firstNew] = {object, handle};
    }

    Object* Find(HWND handle) const {
        for (const Entry& entry : entries_) {
            if (entry.object != nullptr && entry.handle == handle) return entry.object;
        }
        return nullptr;
    }

    void Remove(const Object* object) {
        for (Entry& entry : entries_) {
            if (entry.object == object) {
                entry = {};
                return;
            }
        }
    }

    size_t Capacity() const { return entries_.size(); }

private:
    struct Entry {
        Object* object = nullptr;
        HWND handle = nullptr;
    };
    std::vector<Entry> entries_;
};

}  // namespace vm
