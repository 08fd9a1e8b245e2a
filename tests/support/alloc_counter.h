// Counts calls of the global array operator new made by the code under test (the string blocks are
// allocated with it). Link tests/support/alloc_counter.cpp into the test binary to activate it.
#pragma once

#include <cstddef>

namespace kt::test {

struct AllocationCounts {
    long allocations = 0;
    long releases = 0;
    size_t lastSize = 0;
};

// The counts since the last Reset() on this thread.
AllocationCounts& Allocations();
inline void ResetAllocations() {
    Allocations() = AllocationCounts{};
}

// While set, the next array allocations on this thread fail: std::bad_alloc, or null from the non-throwing
// form.
void FailNextAllocations(bool fail);

}  // namespace kt::test
