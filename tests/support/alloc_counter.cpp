#include "tests/support/alloc_counter.h"

#include <cstdlib>
#include <new>

namespace kt::test {
namespace {
thread_local AllocationCounts counts;
thread_local bool failing = false;
}  // namespace
AllocationCounts& Allocations() {
    return counts;
}
void FailNextAllocations(bool fail) {
    failing = fail;
}
}  // namespace kt::test

void* operator new[](size_t size) {
    if (kt::test::failing) throw std::bad_alloc();
    ++kt::test::counts.allocations;
    kt::test::counts.lastSize = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The non-throwing form the string blocks use, so that failing and counting reach it too (under
// AddressSanitizer it would otherwise be the sanitizer's own).
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete[](void* p) noexcept {
    if (p) ++kt::test::counts.releases;
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    operator delete[](p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete[](p);
}
