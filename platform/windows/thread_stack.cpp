// The calling thread's stack as the system reserved it. The lowest pages of the reservation are the
// guard page and the space the system keeps for handling an overflow; callers leave room above `low`.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace kt::platform {

StackRange CurrentThreadStack() noexcept {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (!(low < here && here <= high)) return {0, 0};
    return {static_cast<uintptr_t>(low), static_cast<uintptr_t>(high)};
}

}  // namespace kt::platform
