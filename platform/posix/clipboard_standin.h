// Inspection and control of the in-process clipboard and global memory (platform/posix/clipboard.cpp),
// for tests: the number of live blocks shows a leak or a double free, and a limit on the live bytes
// makes allocations fail on demand.
#pragma once

#include <cstddef>

namespace kt::platform {

// Blocks allocated and not yet freed, the clipboard's own included.
size_t GlobalMemoryLiveBlocks() noexcept;
// Allocations that would bring the live bytes above `bytes` fail; SIZE_MAX (the start value) lifts the
// limit.
void SetGlobalMemoryLimit(size_t bytes) noexcept;

}  // namespace kt::platform
