#pragma once

namespace vm::test {

// Allocations made through operator new so far by the whole test program. The counting
// replacement lives in its own file, so the compiler never sees a release inlined next
// to the allocation it pairs with.
long AllocationCount();
// Bytes allocated through operator new and not yet released.
long LiveHeapBytes();

}  // namespace vm::test
