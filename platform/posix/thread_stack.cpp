// The calling thread's stack from the thread library. For the main thread glibc reads the process's
// memory map on every query, so each thread keeps the answer it got first.
#include <pthread.h>

#include "platform/platform.h"

namespace kt::platform {

namespace {
thread_local StackRange knownStack{0, 0};

bool Holds(const StackRange& range, uintptr_t address) noexcept {
    return range.low < address && address <= range.high;
}

StackRange QueryStack() noexcept {
#if defined(__linux__)
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return {0, 0};
    void* base = nullptr;
    size_t size = 0;
    const int status = pthread_attr_getstack(&attributes, &base, &size);
    pthread_attr_destroy(&attributes);
    if (status != 0 || base == nullptr) return {0, 0};
    const auto low = reinterpret_cast<uintptr_t>(base);
    return {low, low + size};
#else
    return {0, 0};
#endif
}
}  // namespace

StackRange CurrentThreadStack() noexcept {
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (!Holds(knownStack, here)) {
        knownStack = QueryStack();
        if (!Holds(knownStack, here)) knownStack = {0, 0};
    }
    return knownStack;
}

}  // namespace kt::platform
