#include "tests/support/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local kt::test::AllocationCounts arrayCounts;
thread_local bool arraysFail = false;
std::atomic<size_t> liveAllocations{0};
std::atomic<bool> armed{false};
std::atomic<size_t> successesLeft{0};
std::atomic<bool> triggered{false};

void* Allocate(size_t size, bool array) {
    if (array && arraysFail) throw std::bad_alloc();
    if (armed.load() && successesLeft.fetch_sub(1) == 0) {
        armed.store(false);
        triggered.store(true);
        throw std::bad_alloc();
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    liveAllocations.fetch_add(1);
    if (array) {
        ++arrayCounts.allocations;
        arrayCounts.lastSize = size;
    }
    return block;
}

// The non-throwing forms too (std::stable_sort's buffer, a string block), so that every block is the
// probe's: under AddressSanitizer they would otherwise be the sanitizer's own.
void* AllocateOrNull(size_t size, bool array) noexcept {
    try {
        return Allocate(size, array);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Release(void* block, bool array) noexcept {
    if (block == nullptr) return;
    if (array) ++arrayCounts.releases;
    liveAllocations.fetch_sub(1);
    std::free(block);
}

}  // namespace

void* operator new(size_t size) {
    return Allocate(size, false);
}
void* operator new[](size_t size) {
    return Allocate(size, true);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, false);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, true);
}
void operator delete(void* block) noexcept {
    Release(block, false);
}
void operator delete[](void* block) noexcept {
    Release(block, true);
}
void operator delete(void* block, size_t) noexcept {
    Release(block, false);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block, true);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block, false);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block, true);
}

namespace kt::test {

AllocationCounts& Allocations() {
    return arrayCounts;
}

void FailNextAllocations(bool fail) {
    arraysFail = fail;
}

size_t LiveAllocations() noexcept {
    return liveAllocations.load();
}

FailingAllocation::FailingAllocation(size_t successes) noexcept {
    successesLeft.store(successes);
    triggered.store(false);
    armed.store(true);
}

FailingAllocation::~FailingAllocation() {
    armed.store(false);
}

bool FailingAllocation::Triggered() const noexcept {
    return triggered.load();
}

}  // namespace kt::test
