// The width-generic cores of the markup operations that work on raw units.
#include "text/util/markup.h"

#include <cstring>

#include "text/string/operations.h"

namespace kt::ops {

namespace {

// Parses "#digits;" or "#xhexdigits;" at `p` (just after the "&"), not reading past `end`. On success
// stores the value (accumulated in the width's own unsigned type, so that larger values wrap) and the
// position after the ";".
template <class Char>
bool ParseNumericReference(const Char* p, const Char* end, uint32_t& value, const Char*& after) {
    using Accumulator = std::conditional_t<std::is_same_v<Char, char>, uint32_t, uint16_t>;
    if (p == end || *p != Char('#')) return false;
    ++p;
    const bool hex = p != end && *p == Char('x');
    if (hex) ++p;
    Accumulator total = 0;
    int32_t digits = 0;
    for (; p != end; ++p, ++digits) {
        const uint32_t c = static_cast<uint32_t>(*p);
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        total = static_cast<Accumulator>(total * (hex ? 16u : 10u) + digit);
    }
    if (digits == 0 || p == end || *p != Char(';')) return false;
    value = total;
    after = p + 1;
    return true;
}

// Matches one of the five XML entity names with its ";" at `p`; stores the character it stands for.
template <class Char>
bool ParseNamedReference(const Char* p, const Char* end, Char& character, const Char*& after) {
    static constexpr struct {
        const char* name;  // with its ";"
        char character;
    } Names[] = {{"amp;", '&'}, {"apos;", '\''}, {"gt;", '>'}, {"lt;", '<'}, {"quot;", '"'}};
    for (const auto& entry : Names) {
        const int32_t length = static_cast<int32_t>(std::strlen(entry.name));
        if (end - p < length) continue;
        int32_t i = 0;
        while (i < length && p[i] == static_cast<Char>(entry.name[i])) ++i;
        if (i == length) {
            character = static_cast<Char>(entry.character);
            after = p + length;
            return true;
        }
    }
    return false;
}

template <class Char>
bool IsDelimiter(KTTextPiece<Char> delimiters, uint32_t cp) {
    const Char* set = delimiters.Data();
    if constexpr (std::is_same_v<Char, char>) {
        const char* end = set + delimiters.Length();
        for (const char* p = set; p < end;)
            if (DecodeUtf8(p) == cp) return true;
        return false;
    } else {
        return FindUnitIn(set, delimiters.Length(), static_cast<Char>(cp)) >= 0 && cp <= 0xFFFF;
    }
}

// Whether the occurrence [at, at + length) has a delimiter or the text's edge on both sides.
template <class Char>
bool IsWholeWord(const Char* text, int32_t count, int32_t at, int32_t length, KTTextPiece<Char> delimiters) {
    if (at > 0) {
        uint32_t before;
        if constexpr (std::is_same_v<Char, char>) {
            const char* p = text + at;
            before = DecodeUtf8Previous(text, p);
        } else {
            before = text[at - 1];
        }
        if (!IsDelimiter(delimiters, before)) return false;
    }
    const int32_t end = at + length;
    if (end >= count) return true;
    const Char* p = text + end;
    return IsDelimiter(delimiters, NextCharacterSparingAscii(p));
}

// The last occurrence that ends at or before `limit`, or -1.
template <class Char>
int32_t FindLastEndingBefore(const Char* text, int32_t limit, const Char* needle, int32_t length) {
    for (int32_t at = limit - length; at >= 0; --at)
        if (std::memcmp(text + at, needle, static_cast<size_t>(length) * sizeof(Char)) == 0) return at;
    return -1;
}

}  // namespace

template <class Char>
int32_t DecodeReferencesUnits(Char* text, int32_t count, int32_t first, bool numeric, bool named) {
    const Char* end = text + count;
    const Char* read = text + first;
    Char* write = text + first;
    while (read < end && *read != 0) {
        if (*read != Char('&')) {
            *write++ = *read++;
            continue;
        }
        const Char* after = nullptr;
        uint32_t value = 0;
        Char character = 0;
        if (numeric && ParseNumericReference(read + 1, end, value, after)) {
            // The reference is never shorter than what it stands for, so writing cannot overtake reading.
            if (value == 0)
                *write++ = Char('?');
            else if constexpr (std::is_same_v<Char, char>)
                write += detail::EncodeCodePoint(write, value);  // nothing for what UTF-8 cannot hold
            else
                *write++ = static_cast<Char>(value);
            read = after;
            continue;
        }
        if (named && ParseNamedReference(read + 1, end, character, after)) {
            *write++ = character;
            read = after;
            continue;
        }
        *write++ = *read++;
    }
    return static_cast<int32_t>(write - text);
}

template <class Char>
int32_t FindWholeWordUnits(const Char* text, int32_t count, KTTextPiece<Char> needle,
                           KTTextPiece<Char> delimiters, int32_t start, bool backwards) {
    const int32_t length = needle.Length();
    for (;;) {
        const int32_t at = backwards ? FindLastEndingBefore(text, start, needle.Data(), length)
                                     : detail::FindUnits(text, count, needle.Data(), length, start);
        if (at < 0) return -1;
        if (IsWholeWord(text, count, at, length, delimiters)) return at;
        if (backwards) {
            if (at == 0) return -1;
            if constexpr (std::is_same_v<Char, char>) {
                const char* p = text + at;
                DecodeUtf8Previous(text, p);
                start = static_cast<int32_t>(p - text);
            } else {
                start = at - 1;
            }
        } else {
            start = at + detail::CharacterUnits(text + at);
            if (start >= count) return -1;
        }
    }
}

#define KT_INSTANTIATE(Char)                                                                                 \
    template int32_t DecodeReferencesUnits(Char*, int32_t, int32_t, bool, bool);                             \
    template int32_t FindWholeWordUnits(const Char*, int32_t, KTTextPiece<Char>, KTTextPiece<Char>, int32_t, \
                                        bool);
KT_INSTANTIATE(char)
KT_INSTANTIATE(char16_t)
#undef KT_INSTANTIATE

}  // namespace kt::ops
