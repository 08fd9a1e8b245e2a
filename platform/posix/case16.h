// The 16-bit case mapping of the platform layer (declared in platform/platform.h), over the text
// library's Unicode 6.0 case table.
#pragma once

#include "text/unicode/case_fold.h"

namespace kt::platform {

namespace case16 {
inline bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Reads the code point at `text`, a surrogate pair as one, and advances past it.
inline char32_t NextCodePoint(const char16_t*& text) {
    char32_t unit = *text++;
    if (IsHighSurrogate(unit) && IsLowSurrogate(*text))
        return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(*text++) - 0xDC00);
    return unit;
}

// Sorts like the UTF-16 form of the code point compared unit by unit: a supplementary code point's
// lead surrogate orders it between U+D7FF and U+E000.
inline uint32_t CodeUnitOrderKey(char32_t codePoint) {
    if (codePoint < 0x10000) return static_cast<uint32_t>(codePoint) << 16;
    uint32_t offset = codePoint - 0x10000;
    return (0xD800 + (offset >> 10)) << 16 | (0xDC00 + (offset & 0x3FF));
}
}  // namespace case16

inline int CompareNoCase16(const char16_t* left, const char16_t* right) noexcept {
    for (;;) {
        uint32_t leftKey = case16::CodeUnitOrderKey(ToLowerCodePoint(case16::NextCodePoint(left)));
        uint32_t rightKey = case16::CodeUnitOrderKey(ToLowerCodePoint(case16::NextCodePoint(right)));
        if (leftKey != rightKey) return leftKey < rightKey ? -1 : 1;
        if (leftKey == 0) return 0;
    }
}

namespace case16 {
// Maps every code point of `text` (a pair as one) in place; a mapping that would change the number of
// units leaves the code point as it is.
template <class Mapping>
void MapInPlace(char16_t* text, size_t count, Mapping map) noexcept {
    char16_t* end = text + count;
    while (text < end && *text != 0) {
        const char16_t* next = text;
        char32_t codePoint = NextCodePoint(next);
        if (next > end) break;  // a pair cut by the count: only its first unit is ours, and it stays
        char32_t mapped = map(codePoint);
        if (codePoint < 0x10000 && mapped < 0x10000) {
            *text = static_cast<char16_t>(mapped);
        } else if (codePoint >= 0x10000 && mapped >= 0x10000) {
            text[0] = static_cast<char16_t>(0xD800 + ((mapped - 0x10000) >> 10));
            text[1] = static_cast<char16_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
        }
        text += next - text;  // one unit, or two for a pair
    }
}
}  // namespace case16

inline void ToLower16(char16_t* text, size_t count) noexcept {
    case16::MapInPlace(text, count, [](char32_t cp) { return static_cast<char32_t>(ToLowerCodePoint(cp)); });
}

inline void ToUpper16(char16_t* text, size_t count) noexcept {
    case16::MapInPlace(text, count, [](char32_t cp) { return static_cast<char32_t>(ToUpperCodePoint(cp)); });
}

inline char16_t ToUpperUnit16(char16_t unit) noexcept {
    uint32_t upper = ToUpperCodePoint(unit);
    return upper < 0x10000 ? static_cast<char16_t>(upper) : unit;
}

}  // namespace kt::platform
