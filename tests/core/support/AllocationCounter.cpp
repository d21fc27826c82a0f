#include "support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

// The size the allocator gave a block, the same at its allocation and its release.
size_t BlockSize(void* p) {
#ifdef _WIN32
    return _msize(p);
#else
    return malloc_usable_size(p);
#endif
}

std::atomic<long> gAllocations{0};
std::atomic<long> gLiveBytes{0};

void* CountedAllocation(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr)
        gLiveBytes.fetch_add(static_cast<long>(BlockSize(p)), std::memory_order_relaxed);
    return p;
}

void CountedRelease(void* p) {
    if (p == nullptr) return;
    gLiveBytes.fetch_sub(static_cast<long>(BlockSize(p)), std::memory_order_relaxed);
    std::free(p);
}

}  // namespace

namespace vm::test {

long AllocationCount() { return gAllocations.load(std::memory_order_relaxed); }
long LiveHeapBytes() { return gLiveBytes.load(std::memory_order_relaxed); }

}  // namespace vm::test

// Every plain form is replaced together, so each allocation meets its own release.
void* operator new(std::size_t size) {
    if (void* p = CountedAllocation(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = CountedAllocation(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocation(size);
}
void operator delete(void* p) noexcept { CountedRelease(p); }
void operator delete[](void* p) noexcept { CountedRelease(p); }
void operator delete(void* p, std::size_t) noexcept { CountedRelease(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedRelease(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedRelease(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedRelease(p); }
