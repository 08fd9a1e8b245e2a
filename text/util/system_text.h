// The texts of system error codes: the platform's message, or a fixed fallback for codes it has none for.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "text/string/kt_string.h"

namespace kt {

namespace detail {
inline constexpr int32_t UnknownErrorCapacity = 32;
// Writes "Unknown error 0x%08x" with `code` to `out` (UnknownErrorCapacity units); returns its length.
int32_t FormatUnknownError(char16_t* out, uint32_t code);
}  // namespace detail

// Replaces the contents of `text` with the system's message for `code` exactly as the system gives it,
// its line break at the end included; "Unknown error 0x" and eight lower-case hexadecimal digits when the
// system has no message for the code.
template <class Storage>
KTStringT<char16_t, Storage>& LoadSystemErrorText(KTStringT<char16_t, Storage>& text, uint32_t code) {
    const int32_t needed = platform::SystemMessageText(code, nullptr, 0);
    if (needed > 1) {
        text.EnsureCapacity(needed - 1, false);
        const int32_t written = platform::SystemMessageText(code, text.Data(), text.Capacity() + 1);
        if (written > 0) {
            text._SetStringEnd(written - 1);
            return text;
        }
    }
    char16_t fallback[detail::UnknownErrorCapacity];
    text.Assign(fallback, detail::FormatUnknownError(fallback, code));
    return text;
}

}  // namespace kt
