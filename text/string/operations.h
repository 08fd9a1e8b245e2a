// The characteristic operations of KTString: searching, comparing, case mapping, trimming, cutting,
// replacing, translating, parsing and formatting.
//
// Positions and counts are code units in the 16-bit width and characters in the 8-bit width unless the
// in-units flag asks for bytes. A negative start counts as 0; ToEnd (0x7FFFFFFF) means up to the end and is
// never converted. Searches return -1 (or null) for an empty pattern, a start beyond the end, or no match.
// Writing operations work on every storage mode: they unshare shared blocks and copy borrowed characters
// before the first write, through the string's own storage steps.
#pragma once

#include <cstdint>
#include <type_traits>

#include "text/string/code_point_pattern.h"
#include "text/string/detail/operations_detail.h"
#include "text/string/kt_string.h"
#include "text/string/text_piece.h"

namespace kt {

template <class T>
using NoDeduce = std::type_identity_t<T>;

// Space, tab, CR and LF; with the no-break flag also U+00A0.
[[nodiscard]] constexpr bool IsWhitespace(uint32_t cp, bool withNoBreakSpace = false) {
    return cp == ' ' || cp == '\t' || cp == '\r' || cp == '\n' || (withNoBreakSpace && cp == 0xA0);
}

// ---- searching -----------------------------------------------------------------------------------------

template <class Char, class S>
[[nodiscard]] int32_t Find(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern,
                           int32_t start = 0, bool inUnits = false);
template <class Char, class S>
[[nodiscard]] const Char* FindPtr(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern,
                                  int32_t start = 0, bool inUnits = false);
// A code point (16-bit width: one code unit).
template <class Char, class S>
[[nodiscard]] int32_t FindChar(const KTStringT<Char, S>& s, uint32_t codePoint, int32_t start = 0,
                               bool inUnits = false);
template <class Char, class S>
[[nodiscard]] int32_t FindNoCase(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern,
                                 int32_t start = 0, bool inUnits = false);

template <class Char, class S>
[[nodiscard]] int32_t FindOneOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set,
                                int32_t start = 0, bool inUnits = false);
template <class Char, class S>
[[nodiscard]] int32_t FindFirstNotOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set,
                                     int32_t start = 0, bool inUnits = false);
// The last character before `end` that is (or is not) in the set, or null.
template <class Char, class S>
[[nodiscard]] const Char* ReverseFindOneOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set,
                                           int32_t end = ToEnd, bool inUnits = false);
template <class Char, class S>
[[nodiscard]] const Char* ReverseFindNotOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set,
                                           int32_t end = ToEnd, bool inUnits = false);

// ---- comparing -----------------------------------------------------------------------------------------

// Compares two UTF-8 texts code point by code point through the lower-case mapping: -1, 0 or 1. A text
// ends at its count or at its first zero byte, whichever comes first; null reads as the empty text.
[[nodiscard]] int CompareNoCase(KTTextPiece<char> a, KTTextPiece<char> b);

template <class Char, class S>
[[nodiscard]] bool Equals(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> other,
                          bool caseSensitive = true);

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
[[nodiscard]] bool IsBlank(const Char* text, bool withNoBreakSpace = false);

// The set defaults to space, tab, CR and LF.
template <class Char, class S>
KTStringT<Char, S>& TrimLeft(KTStringT<Char, S>& s,
                             NoDeduce<KTTextPiece<Char>> set = detail::DefaultTrimSet<Char>());
template <class Char, class S>
KTStringT<Char, S>& TrimRight(KTStringT<Char, S>& s,
                              NoDeduce<KTTextPiece<Char>> set = detail::DefaultTrimSet<Char>());
template <class Char, class S>
KTStringT<Char, S>& Trim(KTStringT<Char, S>& s,
                         NoDeduce<KTTextPiece<Char>> set = detail::DefaultTrimSet<Char>());

// The one-character forms take the character as a code point (U'\u00E9', not a char 0xE9, which converts
// to a value above U+10FFFF); 0 and a code point the encoder refuses trim nothing.
template <class Char, class S>
KTStringT<Char, S>& TrimLeft(KTStringT<Char, S>& s, char32_t c);
template <class Char, class S>
KTStringT<Char, S>& TrimRight(KTStringT<Char, S>& s, char32_t c);
template <class Char, class S>
KTStringT<Char, S>& Trim(KTStringT<Char, S>& s, char32_t c);

// ---- parsing and formatting ----------------------------------------------------------------------------

// Reads an optional sign and decimal digits, skipping `separator` characters (0: none); leaves `text`
// at the character that stopped the scan.
template <class Char>
[[nodiscard]] int32_t ParseInteger(const Char*& text, NoDeduce<Char> separator = 0);

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
KTStringT<Char, S>& Reverse(KTStringT<Char, S>& s, int32_t count = ToEnd);

template <class Char, class S>
KTStringT<Char, S>& RemoveCharacters(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& set);

template <class Char, class S>
KTStringT<Char, S>& Translate(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& from,
                              const KTCodePointPattern<Char>& to);

template <class Char, class S>
KTStringT<Char, S>& RemoveEnclosed(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& opening,
                                   const KTCodePointPattern<Char>& closing, uint32_t escape, bool flat);

template <class Char, class S, class R>
KTStringT<Char, R>& FirstLines(const KTStringT<Char, S>& s, KTStringT<Char, R>& result, int32_t maxLines,
                               bool skipEmpty, bool trim, const Char* suffix);

}  // namespace kt

#include "text/string/detail/operations_impl.h"
