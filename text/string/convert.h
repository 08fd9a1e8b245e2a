// Conversions between the widths: UTF-16 to new UTF-8 strings and the 8-bit copy. The UTF-8 primitives
// (EncodeUtf8, DecodeUtf8, DecodeUtf8Previous, FindCodePoint, KTUtf8Buffer) are in utf8.h; converting UTF-8
// into a 16-bit string is the member ConvertFromUTF8String, the reverse in place ConvertToUtf8Units.
//
// ToUtf8 is the library's own encoder: it combines a unit in D800-DFFF with the unit after it without
// checking which halves they are, and encodes a surrogate that is the last unit of the text as U+FFFD.
#pragma once

#include <cstdint>

#include "text/string/kt_string.h"

namespace kt {

// The UTF-8 form of a terminated UTF-16 text, in a block of exactly its length (null or empty: the empty
// string).
[[nodiscard]] KTString<char> ToUtf8(const char16_t* text);
// The UTF-8 form of the first `count` units of `text` (null or count < 1: the empty string). The text is
// not searched for a terminator, so the count must not exceed it.
[[nodiscard]] KTString<char> ToUtf8(const char16_t* text, int32_t count);

template <class Storage>
[[nodiscard]] KTString<char> ToUtf8(const KTStringT<char16_t, Storage>& text) {
    return ToUtf8(text.Data(), text.Length());
}

// A copy of a terminated UTF-8 text (null or empty: the empty string).
[[nodiscard]] KTString<char> CopyUtf8(const char* text);

}  // namespace kt
