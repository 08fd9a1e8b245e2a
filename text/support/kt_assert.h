// KT_ASSERT(condition): an invariant check that is compiled in where the build defines KT_ENABLE_ASSERTS
// (Debug and sanitizer builds) and compiles to nothing elsewhere, so a check may cost what it needs.
//
// A failed check prints "file:line: KT_ASSERT(condition) failed" to stderr and aborts. A broken invariant
// means the data is already wrong, so nothing is thrown that a caller could catch and carry on from.
// This header depends on nothing in the project; every folder may include it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace kt {

#if defined(KT_ENABLE_ASSERTS)
inline constexpr bool AssertsEnabled = true;
#else
inline constexpr bool AssertsEnabled = false;
#endif

namespace detail {
[[noreturn]] inline void AssertFailed(const char* file, int line, const char* condition) noexcept {
    std::fprintf(stderr, "%s:%d: KT_ASSERT(%s) failed\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}
}  // namespace detail

}  // namespace kt

#if defined(KT_ENABLE_ASSERTS)
#define KT_ASSERT(condition) \
    ((condition) ? static_cast<void>(0) : ::kt::detail::AssertFailed(__FILE__, __LINE__, #condition))
#else
#define KT_ASSERT(condition) static_cast<void>(0)
#endif
