// The characteristic operations of KTString: searching, comparing, case mapping, trimming, cutting,
// replacing, translating, parsing and formatting.
//
// Positions and counts are code units in the 16-bit width and characters in the 8-bit width unless the
// in-units flag asks for bytes. A negative start counts as 0; ToEnd (0x7FFFFFFF) means up to the end and is
// never converted. Searches return -1 (or null) for an empty pattern, a start beyond the end, or no match.
// Writing operations work on every storage mode: they unshare shared blocks and copy borrowed characters
// before the first write, through the string's own storage steps.
#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "text/string/code_point_pattern.h"
#include "text/string/kt_string.h"
#include "text/string/text_piece.h"
#include "text/string/utf8.h"

namespace kt {

template <class T>
using NoDeduce = std::type_identity_t<T>;

// Space, tab, CR and LF; with the no-break flag also U+00A0.
constexpr bool IsWhitespace(uint32_t cp, bool withNoBreakSpace = false) {
    return cp == ' ' || cp == '\t' || cp == '\r' || cp == '\n' || (withNoBreakSpace && cp == 0xA0);
}

// Width-generic algorithms over raw units (operations.cpp); offsets and lengths in units.
namespace ops {
template <class Char>
int32_t FindUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t from);
// Units before the first zero unit among the first n (n when there is none).
template <class Char>
int32_t UnitsBeforeZero(const Char* text, int32_t n);
// The platform's terminated search (strstr, wcsstr) from `from`: the needle ends at its first zero unit,
// and no occurrence behind a zero unit of the text (from `from` on) is found.
template <class Char>
int32_t FindTerminatedUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t from);
// The platform's terminated character search (strchr, wcschr), from `from`, in the same way.
template <class Char>
int32_t FindCodePointUnits(const Char* text, int32_t n, uint32_t cp, int32_t from);
template <class Char>
int32_t FindNoCaseUnits(const Char* text, int32_t n, KTTextPiece<Char> pattern, int32_t from);
template <class Char>
int32_t FindSetUnits(const Char* text, int32_t n, KTTextPiece<Char> set, int32_t from, bool wantInSet);
template <class Char>
int32_t ReverseFindSetUnits(const Char* text, int32_t end, KTTextPiece<Char> set, bool wantInSet);
uint32_t DecodePrevious(const char* start, const char*& p);
template <class Char>
bool IsBlank(const Char* text, bool withNoBreakSpace);
template <class Char>
int32_t ParseInteger(const Char*& text, Char separator);
template <class Char>
void ReverseUnits(Char* data, int32_t start, int32_t end);
void MapCaseSimple8(char* data, int32_t length, bool upper);
template <class Char>
int32_t RemoveCharactersUnits(Char* data, int32_t length, const KTCodePointPattern<Char>& set);
template <class Char>
int32_t RemoveEnclosedUnits(Char* data, int32_t length, const KTCodePointPattern<Char>& opening,
                            const KTCodePointPattern<Char>& closing, uint32_t escape, bool flat);

// A character position (8-bit, not in units) as a byte offset; ToEnd and unit positions stay.
template <class Char>
int32_t ToUnits(const Char* text, int32_t position, bool inUnits) {
    if constexpr (std::is_same_v<Char, char>)
        if (!inUnits && position != ToEnd) return CharsToUnits(text, position);
    return position;
}
// A start position as a unit offset within a text of n units; -1 when it lies beyond the end (8-bit: more
// characters than the text has). ToEnd lies beyond every text.
template <class Char>
int32_t StartUnits(const Char* text, int32_t n, int32_t position, bool inUnits) {
    if (position > n) return -1;  // no text has more characters than units
    int32_t from = ToUnits(text, position, inUnits);
    if constexpr (std::is_same_v<Char, char>)
        if (!inUnits && from == n && UnitsToChars(text, n) < position) return -1;
    return from;
}
// A unit offset as a position of the caller's kind.
template <class Char>
int32_t ToPosition(const Char* text, int32_t offset, bool inUnits) {
    if constexpr (std::is_same_v<Char, char>)
        if (!inUnits) return UnitsToChars(text, offset);
    return offset;
}
// Units of the character that starts at `p`.
inline int32_t CharacterUnits(const char* p) {
    return CharsToUnits(p, 1);
}
inline int32_t CharacterUnits(const char16_t*) {
    return 1;
}
}  // namespace ops

// ---- searching -----------------------------------------------------------------------------------------

namespace ops {
// Runs `search(data, length, fromUnit)` from the caller's start (negative: 0; beyond the end: not found)
// and returns the unit offset it reports, or -1.
template <class Char, class S, class Search>
int32_t SearchUnits(const KTStringT<Char, S>& s, int32_t start, bool inUnits, Search search) {
    const Char* d = s.Data();
    int32_t n = s.Length();
    int32_t from = ToUnits(d, std::max(start, 0), inUnits);
    return from > n ? -1 : search(d, n, from);
}
// The same, with the offset turned back into a position of the caller's kind.
template <class Char, class S, class Search>
int32_t SearchPosition(const KTStringT<Char, S>& s, int32_t start, bool inUnits, Search search) {
    int32_t hit = SearchUnits(s, start, inUnits, search);
    return hit < 0 ? -1 : ToPosition(s.Data(), hit, inUnits);
}
}  // namespace ops

template <class Char, class S>
int32_t Find(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern, int32_t start = 0,
             bool inUnits = false) {
    return ops::SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return ops::FindTerminatedUnits(d, n, pattern.Data(), pattern.Length(), from);
    });
}

template <class Char, class S>
const Char* FindPtr(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern, int32_t start = 0,
                    bool inUnits = false) {
    int32_t hit = ops::SearchUnits(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return ops::FindTerminatedUnits(d, n, pattern.Data(), pattern.Length(), from);
    });
    return hit < 0 ? nullptr : s.Data() + hit;
}

// A code point (16-bit width: one code unit).
template <class Char, class S>
int32_t FindChar(const KTStringT<Char, S>& s, uint32_t codePoint, int32_t start = 0, bool inUnits = false) {
    return ops::SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return ops::FindCodePointUnits(d, n, codePoint, from);
    });
}

template <class Char, class S>
int32_t FindNoCase(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern, int32_t start = 0,
                   bool inUnits = false) {
    return ops::SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return ops::FindNoCaseUnits(d, n, pattern, from);
    });
}

namespace ops {
template <class Char, class S>
int32_t FindInSet(const KTStringT<Char, S>& s, KTTextPiece<Char> set, int32_t start, bool inUnits,
                  bool wantIn) {
    return SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return FindSetUnits(d, n, set, from, wantIn);
    });
}
template <class Char, class S>
const Char* ReverseFindInSet(const KTStringT<Char, S>& s, KTTextPiece<Char> set, int32_t end, bool inUnits,
                             bool wantIn) {
    if (set.IsEmpty() || end < 0) return nullptr;
    const Char* d = s.Data();
    int32_t n = s.Length();
    int32_t limit = end == ToEnd ? n : std::min(ToUnits(d, end, inUnits), n);
    if (limit <= 0) return nullptr;
    int32_t hit = ReverseFindSetUnits(d, limit, set, wantIn);
    return hit < 0 ? nullptr : d + hit;
}
}  // namespace ops

template <class Char, class S>
int32_t FindOneOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set, int32_t start = 0,
                  bool inUnits = false) {
    return ops::FindInSet(s, set, start, inUnits, true);
}
template <class Char, class S>
int32_t FindFirstNotOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set, int32_t start = 0,
                       bool inUnits = false) {
    return ops::FindInSet(s, set, start, inUnits, false);
}
// The last character before `end` that is (or is not) in the set, or null.
template <class Char, class S>
const Char* ReverseFindOneOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set,
                             int32_t end = ToEnd, bool inUnits = false) {
    return ops::ReverseFindInSet(s, set, end, inUnits, true);
}
template <class Char, class S>
const Char* ReverseFindNotOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set,
                             int32_t end = ToEnd, bool inUnits = false) {
    return ops::ReverseFindInSet(s, set, end, inUnits, false);
}

// ---- comparing -----------------------------------------------------------------------------------------

// Compares two UTF-8 texts code point by code point through the lower-case mapping: -1, 0 or 1. A text
// ends at its count or at its first zero byte, whichever comes first; null reads as the empty text.
int CompareNoCase(KTTextPiece<char> a, KTTextPiece<char> b);

template <class Char, class S>
bool Equals(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> other, bool caseSensitive = true);

// ---- case ----------------------------------------------------------------------------------------------

template <class Char, class S>
KTStringT<Char, S>& MakeLower(KTStringT<Char, S>& s, bool simple = false);
template <class Char, class S>
KTStringT<Char, S>& MakeUpper(KTStringT<Char, S>& s, bool simple = false);
template <class Char, class S>
KTStringT<Char, S>& CapitalizeWords(KTStringT<Char, S>& s);

// ---- whitespace and trimming ---------------------------------------------------------------------------

// True when the text (null: the empty text) holds only space, tab, CR, LF (and U+00A0 with the flag).
template <class Char>
bool IsBlank(const Char* text, bool withNoBreakSpace = false) {
    return ops::IsBlank(text, withNoBreakSpace);
}

namespace ops {
template <class Char>
const Char* DefaultTrimSet() {
    if constexpr (std::is_same_v<Char, char>)
        return " \t\r\n";
    else
        return u" \t\r\n";
}
}  // namespace ops

template <class Char, class S>
KTStringT<Char, S>& TrimLeft(KTStringT<Char, S>& s,
                             NoDeduce<KTTextPiece<Char>> set = ops::DefaultTrimSet<Char>()) {
    int32_t n = s.Length();
    if (n == 0 || set.IsEmpty()) return s;
    int32_t first = ops::FindSetUnits(s.Data(), n, set, 0, false);
    if (first == 0) return s;
    if (first < 0) first = n;
    s.MakeWritable();
    std::memmove(s.Data(), s.Data() + first, (static_cast<size_t>(n - first) + 1) * sizeof(Char));
    s._SetLengthCache(n - first);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& TrimRight(KTStringT<Char, S>& s,
                              NoDeduce<KTTextPiece<Char>> set = ops::DefaultTrimSet<Char>()) {
    int32_t n = s.Length();
    if (n == 0 || set.IsEmpty()) return s;
    int32_t last = ops::ReverseFindSetUnits(s.Data(), n, set, false);
    int32_t end = last < 0 ? 0 : last + ops::CharacterUnits(s.Data() + last);
    if (end >= n) return s;
    s.MakeWritable();
    s._SetStringEnd(end);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Trim(KTStringT<Char, S>& s,
                         NoDeduce<KTTextPiece<Char>> set = ops::DefaultTrimSet<Char>()) {
    TrimLeft(s, set);
    return TrimRight(s, set);
}

// The one-character forms take the character as a code point (U'\u00E9', not a char 0xE9, which converts
// to a value above U+10FFFF); 0 and a code point the encoder refuses trim nothing.
namespace ops {
template <class Char>
struct OneCharacterSet {
    explicit OneCharacterSet(char32_t c) { detail::EncodeCodePoint(units, c); }
    Char units[5] = {};
};
}  // namespace ops
template <class Char, class S>
KTStringT<Char, S>& TrimLeft(KTStringT<Char, S>& s, char32_t c) {
    return TrimLeft(s, ops::OneCharacterSet<Char>(c).units);
}
template <class Char, class S>
KTStringT<Char, S>& TrimRight(KTStringT<Char, S>& s, char32_t c) {
    return TrimRight(s, ops::OneCharacterSet<Char>(c).units);
}
template <class Char, class S>
KTStringT<Char, S>& Trim(KTStringT<Char, S>& s, char32_t c) {
    return Trim(s, ops::OneCharacterSet<Char>(c).units);
}

// ---- parsing and formatting ----------------------------------------------------------------------------

// Reads an optional sign and decimal digits, skipping `separator` characters (0: none); leaves `text`
// at the character that stopped the scan.
template <class Char>
int32_t ParseInteger(const Char*& text, NoDeduce<Char> separator = 0) {
    return ops::ParseInteger(text, separator);
}

// printf-style formatting with the C library's conventions (16-bit: %s takes 16-bit text, %hs UTF-8), for the
// conversions of the platform's bounded formatter (platform/platform.h). A format it rejects (an unknown or
// incomplete conversion such as "%y" or a trailing "%", %n, a length modifier that does not apply, an
// output beyond 0x7FFFFFFF units) leaves the string empty, in both widths.
template <class Char, class S>
KTStringT<Char, S>& Format(KTStringT<Char, S>& s, NoDeduce<const Char*> format, ...);

// ---- cutting -------------------------------------------------------------------------------------------

template <class Char, class S>
KTStringT<Char, S>& Mid(KTStringT<Char, S>& s, int32_t start, bool inUnits, int32_t count);
template <class Char, class S>
KTStringT<Char, S>& RemoveFirst(KTStringT<Char, S>& s, int32_t count, bool inUnits = false);
template <class Char, class S>
KTStringT<Char, S>& KeepLast(KTStringT<Char, S>& s, int32_t count, bool inUnits = false);

// ---- replacing -----------------------------------------------------------------------------------------

// Replaces up to maxCount (0: all) non-overlapping occurrences.
template <class Char, class S>
KTStringT<Char, S>& Replace(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> find,
                            NoDeduce<KTTextPiece<Char>> replacement, int32_t maxCount = 0);
template <class Char, class S>
KTStringT<Char, S>& ReplaceRange(KTStringT<Char, S>& s, int32_t start, int32_t count, bool inUnits,
                                 NoDeduce<KTTextPiece<Char>> replacement);
template <class Char, class S>
KTStringT<Char, S>& WriteRepeated(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> text, int32_t count,
                                  int32_t position);
template <class Char, class S>
KTStringT<Char, S>& Reverse(KTStringT<Char, S>& s, int32_t start, bool startInUnits, int32_t end,
                            bool endInUnits);
template <class Char, class S>
KTStringT<Char, S>& Reverse(KTStringT<Char, S>& s, int32_t count = ToEnd) {
    return Reverse(s, 0, false, count, false);
}

template <class Char, class S>
KTStringT<Char, S>& RemoveCharacters(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& set) {
    int32_t n = s.Length();
    if (n == 0 || set.IsEmpty()) return s;
    s.MakeWritable();
    s._SetStringEnd(ops::RemoveCharactersUnits(s.Data(), n, set));
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Translate(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& from,
                              const KTCodePointPattern<Char>& to);

template <class Char, class S>
KTStringT<Char, S>& RemoveEnclosed(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& opening,
                                   const KTCodePointPattern<Char>& closing, uint32_t escape, bool flat) {
    int32_t n = s.Length();
    if (n == 0 || opening.IsEmpty() || closing.IsEmpty()) return s;
    s.MakeWritable();
    s._SetStringEnd(ops::RemoveEnclosedUnits(s.Data(), n, opening, closing, escape, flat));
    return s;
}

template <class Char, class S, class R>
KTStringT<Char, R>& FirstLines(const KTStringT<Char, S>& s, KTStringT<Char, R>& result, int32_t maxLines,
                               bool skipEmpty, bool trim, const Char* suffix);

}  // namespace kt

#include "text/string/operations_impl.h"
