// Reading characters for the operations that must see every ASCII character of a text: the escapers, the
// markup operations and the file-name check. 8-bit text is decoded leniently, by the lead byte's bit rules
// with continuation bits taken as they come, except that a sequence ends at the first byte below 0x80 as it
// ends at the terminator. So "\xF0<b>" reads as one malformed character and then "<", "b", ">": no bytes
// before a "<" can hide it from an escaper.
#pragma once

#include <cstdint>
#include <type_traits>

#include "text/string/utf8.h"

namespace kt::ops {

// Reads one character and advances: a code point (8-bit) or a code unit (16-bit, surrogate halves alone).
inline uint32_t NextCharacterSparingAscii(const char*& p) {
    const auto lead = static_cast<unsigned char>(*p);
    if (lead < 0x80) {
        ++p;
        return lead;
    }
    const int length = Utf8SequenceLength(lead);
    int taken = 1;
    while (taken < length && static_cast<unsigned char>(p[taken]) >= 0x80) ++taken;
    if (taken == length) return DecodeUtf8(p);
    // Cut short by a byte below 0x80: decode what there is, terminated, by the same bit rules.
    char sequence[4] = {};
    for (int i = 0; i < taken; ++i) sequence[i] = p[i];
    const char* read = sequence;
    p += taken;
    return DecodeUtf8(read);
}
inline uint32_t NextCharacterSparingAscii(const char16_t*& p) {
    return static_cast<uint16_t>(*p++);
}

// Whether the character `c`, read from a sequence that starts at `from`, is ASCII that the text does not
// hold as that byte: a code point below 0x80 decoded from an overlong or malformed sequence. An escaper
// writes such a character as a numeric reference, never as the byte, so that its output holds no ASCII
// character that was not that same byte of its input ("\x80\xE2" must not become a raw double quote).
template <class Char>
constexpr bool IsDisguisedAscii(uint32_t c, const Char* from) {
    return c < 0x80 && static_cast<std::make_unsigned_t<Char>>(*from) >= 0x80;
}

}  // namespace kt::ops
