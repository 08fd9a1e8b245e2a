// GCC 12 at -O2 cannot always follow that a string has left the shared empty value, or that a block's
// header lies in front of its data pointer, and then reports -Warray-bounds / -Wstringop-overflow for
// accesses that are in bounds. KT_BOUNDS_WARNINGS_OFF / _ON silence exactly those two warnings around the
// few functions where it happens (the header word helpers, the inline buffer's address, the Latin-1 encoder,
// the capacity constructor, appending, the key index's word loads); keep them that narrow. Every such access
// runs under AddressSanitizer in the tests.
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
