#include "tests/support/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> liveAllocations{0};
std::atomic<bool> armed{false};
std::atomic<size_t> successesLeft{0};
std::atomic<bool> triggered{false};

void* Allocate(size_t size) {
    if (armed.load() && successesLeft.fetch_sub(1) == 0) {
        armed.store(false);
        triggered.store(true);
        throw std::bad_alloc();
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    liveAllocations.fetch_add(1);
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    liveAllocations.fetch_sub(1);
    std::free(block);
}

}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
// The nothrow forms too (std::stable_sort's buffer, a string block), so that every block is the probe's.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

namespace kt::test {

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
