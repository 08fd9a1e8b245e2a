// Counts the blocks the global operator new hands out and can make the n-th allocation from now fail,
// to check that construction failing part way releases everything it built.
#pragma once

#include <cstddef>

namespace kt::test {

// Blocks allocated and not yet released, over the whole program.
size_t LiveAllocations() noexcept;

// While alive, the allocation after `successes` successful ones throws std::bad_alloc (once).
class FailingAllocation {
  public:
    explicit FailingAllocation(size_t successes) noexcept;
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    bool Triggered() const noexcept;
};

}  // namespace kt::test
