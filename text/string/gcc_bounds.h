// GCC 12 cannot follow that a string has left the shared empty value (or that a header lies in front of
// the data pointer) once a write is reached, and reports -Warray-bounds / -Wstringop-overflow at the
// header helpers and the writes behind EnsureCapacity. These macros silence exactly those two warnings
// for the storage code; every such access is checked under AddressSanitizer by the tests.
#pragma once

#if defined(__GNUC__) && !defined(__clang__)
#define KT_BOUNDS_WARNINGS_OFF                                                          \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Warray-bounds\"") \
        _Pragma("GCC diagnostic ignored \"-Wstringop-overflow\"")
#define KT_BOUNDS_WARNINGS_ON _Pragma("GCC diagnostic pop")
#else
#define KT_BOUNDS_WARNINGS_OFF
#define KT_BOUNDS_WARNINGS_ON
#endif
