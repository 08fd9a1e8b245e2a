// The test programs' replacement of the global operator new / delete family: it counts the blocks handed
// out and fails allocations on demand, to check allocation counts and that work failing part way releases
// everything it built. Link tests/support/allocation_probe.cpp into the test program to activate it.
#pragma once

#include <cstddef>

namespace kt::test {

// Array allocations (the string blocks use operator new[]) on this thread since ResetAllocations().
struct AllocationCounts {
    long allocations = 0;
    long releases = 0;
    size_t lastSize = 0;
};
AllocationCounts& Allocations();
inline void ResetAllocations() {
    Allocations() = AllocationCounts{};
}

// While set, every array allocation on this thread fails: std::bad_alloc, or null from the non-throwing form.
void FailNextAllocations(bool fail);

// Blocks allocated and not yet released, of either form, over the whole program.
size_t LiveAllocations() noexcept;

// While alive, the allocation of either form after `successes` successful ones throws std::bad_alloc (once).
class FailingAllocation {
  public:
    explicit FailingAllocation(size_t successes) noexcept;
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    bool Triggered() const noexcept;
};

}  // namespace kt::test
