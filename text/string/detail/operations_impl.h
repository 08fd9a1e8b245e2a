// Definitions of the templates declared in text/string/operations.h.
#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "text/string/detail/operations_detail.h"
#include "text/string/operations.h"
#include "text/unicode/case_fold.h"

namespace kt {

// ---- searching -----------------------------------------------------------------------------------------

template <class Char, class S>
int32_t Find(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern, int32_t start, bool inUnits) {
    return detail::SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return detail::FindTerminatedUnits(d, n, pattern.Data(), pattern.Length(), from);
    });
}

template <class Char, class S>
const Char* FindPtr(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern, int32_t start,
                    bool inUnits) {
    int32_t hit = detail::SearchUnits(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return detail::FindTerminatedUnits(d, n, pattern.Data(), pattern.Length(), from);
    });
    return hit < 0 ? nullptr : s.Data() + hit;
}

template <class Char, class S>
int32_t FindChar(const KTStringT<Char, S>& s, uint32_t codePoint, int32_t start, bool inUnits) {
    return detail::SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return detail::FindCodePointUnits(d, n, codePoint, from);
    });
}

template <class Char, class S>
int32_t FindNoCase(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> pattern, int32_t start,
                   bool inUnits) {
    return detail::SearchPosition(s, start, inUnits, [&](const Char* d, int32_t n, int32_t from) {
        return detail::FindNoCaseUnits(d, n, pattern, from);
    });
}

template <class Char, class S>
int32_t FindOneOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set, int32_t start, bool inUnits) {
    return detail::FindInSet(s, set, start, inUnits, true);
}
template <class Char, class S>
int32_t FindFirstNotOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set, int32_t start,
                       bool inUnits) {
    return detail::FindInSet(s, set, start, inUnits, false);
}
template <class Char, class S>
const Char* ReverseFindOneOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set, int32_t end,
                             bool inUnits) {
    return detail::ReverseFindInSet(s, set, end, inUnits, true);
}
template <class Char, class S>
const Char* ReverseFindNotOf(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set, int32_t end,
                             bool inUnits) {
    return detail::ReverseFindInSet(s, set, end, inUnits, false);
}

// ---- whitespace and trimming ---------------------------------------------------------------------------

template <class Char>
bool IsBlank(const Char* text, bool withNoBreakSpace) {
    return detail::IsBlank(text, withNoBreakSpace);
}

template <class Char, class S>
KTStringT<Char, S>& TrimLeft(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set) {
    int32_t n = s.Length();
    if (n == 0 || set.IsEmpty()) return s;
    int32_t first = detail::FindSetUnits(s.Data(), n, set, 0, false);
    if (first == 0) return s;
    if (first < 0) first = n;
    s.MakeWritable();
    std::memmove(s.Data(), s.Data() + first, (static_cast<size_t>(n - first) + 1) * sizeof(Char));
    s._SetLengthCache(n - first);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& TrimRight(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set) {
    int32_t n = s.Length();
    if (n == 0 || set.IsEmpty()) return s;
    int32_t last = detail::ReverseFindSetUnits(s.Data(), n, set, false);
    int32_t end = last < 0 ? 0 : last + detail::CharacterUnits(s.Data() + last);
    if (end >= n) return s;
    s.MakeWritable();
    s._SetStringEnd(end);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Trim(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> set) {
    TrimLeft(s, set);
    return TrimRight(s, set);
}

template <class Char, class S>
KTStringT<Char, S>& TrimLeft(KTStringT<Char, S>& s, char32_t c) {
    return TrimLeft(s, detail::OneCharacterSet<Char>(c).units);
}
template <class Char, class S>
KTStringT<Char, S>& TrimRight(KTStringT<Char, S>& s, char32_t c) {
    return TrimRight(s, detail::OneCharacterSet<Char>(c).units);
}
template <class Char, class S>
KTStringT<Char, S>& Trim(KTStringT<Char, S>& s, char32_t c) {
    return Trim(s, detail::OneCharacterSet<Char>(c).units);
}

// ---- parsing -------------------------------------------------------------------------------------------

template <class Char>
int32_t ParseInteger(const Char*& text, NoDeduce<Char> separator) {
    return detail::ParseInteger(text, separator);
}

// ---- replacing -----------------------------------------------------------------------------------------

template <class Char, class S>
KTStringT<Char, S>& Reverse(KTStringT<Char, S>& s, int32_t count) {
    return Reverse(s, 0, false, count, false);
}

template <class Char, class S>
KTStringT<Char, S>& RemoveCharacters(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& set) {
    int32_t n = s.Length();
    if (n == 0 || set.IsEmpty()) return s;
    s.MakeWritable();
    s._SetStringEnd(detail::RemoveCharactersUnits(s.Data(), n, set));
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& RemoveEnclosed(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& opening,
                                   const KTCodePointPattern<Char>& closing, uint32_t escape, bool flat) {
    int32_t n = s.Length();
    if (n == 0 || opening.IsEmpty() || closing.IsEmpty()) return s;
    s.MakeWritable();
    s._SetStringEnd(detail::RemoveEnclosedUnits(s.Data(), n, opening, closing, escape, flat));
    return s;
}

// ---- comparing, case, formatting, cutting, replacing --------------------------------------------------

template <class Char, class S>
bool Equals(const KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> other, bool caseSensitive) {
    if (caseSensitive) return s.ToView() == other.View();
    if constexpr (std::is_same_v<Char, char>) {
        return CompareNoCase(s, other) == 0;
    } else {
        // The platform compares terminated texts; a counted piece need not have a terminator at its count.
        KTStringInline<char16_t, 128> terminated(other.Data(), other.Length());
        return platform::CompareNoCase16(s.Data(), terminated.Data()) == 0;
    }
}

namespace detail {
inline uint32_t MapCase(uint32_t cp, bool upper) {
    return upper ? ToUpperCodePoint(cp) : ToLowerCodePoint(cp);
}

template <class Char, class S>
void MapCase(KTStringT<Char, S>& s, bool simple, bool upper) {
    if (IsNullData(s.Data())) return;
    s.MakeWritable();
    Char* d = s.Data();
    if constexpr (std::is_same_v<Char, char16_t>) {
        if (simple) {
            for (Char* p = d; *p != 0; ++p)
                if (*p < 0x80) *p = static_cast<Char>(MapCase(*p, upper));
            return;
        }
        s._MarkLengthNotCached();
        size_t units = static_cast<size_t>(s.Capacity()) + 1;
        upper ? platform::ToUpper16(d, units) : platform::ToLower16(d, units);
    } else {
        int32_t n = s.Length();
        if (simple) {
            MapCaseSimple8(d, n, upper);
            return;
        }
        // Every character is re-encoded through the mapping (a malformed sequence comes out as the code
        // point it decodes to; one the encoder refuses is dropped). Measure first: in place while the
        // output never overtakes the input, else from a copy into a block grown to the result.
        int32_t needed = 0;
        bool overtakes = false;
        for (const char* p = d; *p != 0;) {
            uint32_t mapped = MapCase(DecodeUtf8(p), upper);
            char units[4];
            char* end = units;
            needed += EncodeUtf8(end, mapped) ? static_cast<int32_t>(end - units) : 0;
            overtakes = overtakes || needed > p - d;
        }
        KTString<char> source;
        const char* p = d;
        s._MarkLengthNotCached();
        if (overtakes) {  // otherwise the result is no longer than the text, and fits
            source = KTString<char>(d, n);
            p = source.Data();
            s.EnsureCapacity(needed, false);
        }
        char* out = s.Data();
        while (*p != 0) EncodeUtf8(out, MapCase(DecodeUtf8(p), upper));
        s._SetStringEnd(out);
    }
}
}  // namespace detail

template <class Char, class S>
KTStringT<Char, S>& MakeLower(KTStringT<Char, S>& s, bool simple) {
    detail::MapCase(s, simple, false);
    return s;
}
template <class Char, class S>
KTStringT<Char, S>& MakeUpper(KTStringT<Char, S>& s, bool simple) {
    detail::MapCase(s, simple, true);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& CapitalizeWords(KTStringT<Char, S>& s) {
    MakeLower(s, false);
    if (IsNullData(s.Data())) return s;
    s.MakeWritable();
    Char* d = s.Data();
    bool wordStart = true;
    if constexpr (std::is_same_v<Char, char16_t>) {
        for (Char* p = d; *p != 0; ++p) {
            if (IsWhitespace(*p)) {
                wordStart = true;
            } else if (wordStart) {
                *p = *p < 0x80 ? static_cast<Char>(ToUpperCodePoint(*p)) : platform::ToUpperUnit16(*p);
                wordStart = false;
            }
        }
    } else {
        // In place while every capitalised character keeps its byte length; otherwise the rest goes
        // through a copy.
        KTString<char> rebuilt;
        char* out = nullptr;
        for (char* p = d; *p != 0;) {
            const char* q = p;
            uint32_t cp = DecodeUtf8(q);
            uint32_t mapped = cp;
            if (IsWhitespace(cp))
                wordStart = true;
            else if (wordStart) {
                mapped = ToUpperCodePoint(cp);
                wordStart = false;
            }
            int32_t size = static_cast<int32_t>(q - p);
            if (out == nullptr && mapped != cp && Utf8Length(mapped) != size) {
                int32_t done = static_cast<int32_t>(p - d);
                rebuilt = KTString<char>(KTCapacity{done + 4 * (s.Length() - done)});
                rebuilt.Append(d, done);
                out = rebuilt.Data() + done;
            }
            if (out != nullptr) {
                if (mapped == cp) {
                    std::memcpy(out, p, static_cast<size_t>(size));
                    out += size;
                } else {
                    EncodeUtf8(out, mapped);
                }
            } else if (mapped != cp) {
                char* w = p;
                EncodeUtf8(w, mapped);
            }
            p += size;
        }
        if (out != nullptr) {
            rebuilt._SetStringEnd(out);
            s = rebuilt;
        }
    }
    return s;
}

namespace detail {
// Grows the trial capacity by 1024 units until the bounded formatter fits, then shrinks to fit. Trials the
// formatter has shown to be too small are skipped: after a first miss it is asked for the size it needs and
// the trial jumps to the first multiple of 1024 that holds it (the trial the 1024 steps would end on), so
// that a long result costs two formatting runs and one measuring run instead of one run per kilobyte.
// A format the formatter rejects gives the empty string, as an empty format does.
template <class Char, class S, class Formatter>
void FormatInto(KTStringT<Char, S>& s, Formatter format) {
    constexpr int64_t step = 1024;
    for (int64_t trial = step;;) {
        s.EnsureCapacity(static_cast<int32_t>(trial), false);
        s.Data()[0] = 0;
        s._MarkLengthNotCached();
        int result = format(s.Data(), static_cast<size_t>(trial));
        if (result == platform::FormatTooSmall) {
            const int needed = trial < ToEnd ? format(nullptr, 0) : platform::FormatInvalid;
            if (needed >= 0) {
                trial = std::min<int64_t>(std::max(trial + step, (needed + step - 1) / step * step), ToEnd);
                continue;
            }
        }
        const int32_t length = result < 0 ? 0 : result;
        s._SetStringEnd(length);
        s.Reserve(length, Exact | Preserve);
        return;
    }
}

// The platform's bounded formatters of each width.
inline int FormatBounded(char* buffer, size_t capacity, const char* format, va_list args) {
    return platform::FormatBounded8V(buffer, buffer ? capacity + 1 : 0, format, args);
}
inline int FormatBounded(char16_t* buffer, size_t capacity, const char16_t* format, va_list args) {
    return platform::FormatBounded16V(buffer, buffer ? capacity + 1 : 0, format, args);
}
}  // namespace detail

template <class Char, class S>
KTStringT<Char, S>& Format(KTStringT<Char, S>& s, NoDeduce<const Char*> format, ...) {
    if (format == nullptr) format = TNullData<Char>::Data();
    va_list args;
    va_start(args, format);
    detail::FormatInto(s, [&](Char* buffer, size_t capacity) {
        va_list copy;
        va_copy(copy, args);
        int result = detail::FormatBounded(buffer, capacity, format, copy);
        va_end(copy);
        return result;
    });
    va_end(args);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Mid(KTStringT<Char, S>& s, int32_t start, bool inUnits, int32_t count) {
    // The part before the string eats into the count (ToEnd stays "up to the end"), in 64 bits: an extreme
    // start or count must empty the string, not wrap around.
    int64_t wanted = count;
    if (start < 0) {
        if (count != ToEnd) wanted += start;
        start = 0;
    }
    const Char* d = s.Data();
    int32_t n = s.Length();
    int32_t from = detail::ToUnits(d, start, inUnits);
    int32_t units = 0;
    if (from < n && wanted > 0) {
        units = count == ToEnd ? n - from : detail::ToUnits(d + from, static_cast<int32_t>(wanted), inUnits);
        units = std::min(units, n - from);
    }
    if (units <= 0) {
        if (!IsNullData(d)) {
            s.MakeWritable();
            s._SetStringEnd(0);
        }
        return s;
    }
    if (from == 0 && units == n) return s;
    s.MakeWritable();
    std::memmove(s.Data(), s.Data() + from, static_cast<size_t>(units) * sizeof(Char));
    s._SetStringEnd(units);
    return s;
}

namespace detail {
template <class Char, class S>
void KeepFrom(KTStringT<Char, S>& s, int32_t from, int32_t n) {
    s.MakeWritable();
    std::memmove(s.Data(), s.Data() + from, (static_cast<size_t>(n - from) + 1) * sizeof(Char));
    s._SetLengthCache(n - from);
}

// Units in 16 bytes: pieces up to this long are copied as one block move.
template <class Char>
constexpr int32_t ShortPiece = 16 / sizeof(Char);

// Copies `count` units from `from` to `to` (which do not overlap) and returns the end of the copy; the
// ends are where each side's readable or writable room ends. The pieces between hits in text are short,
// and a call of memcpy for each costs more than its copy: where both sides have room for a whole block,
// the piece goes as one 16-byte move, whose bytes behind the piece the next piece writes again.
template <class Char>
Char* CopyPiece(Char* to, const Char* toEnd, const Char* from, const Char* fromEnd, int32_t count) {
    constexpr int32_t Block = ShortPiece<Char>;
    if (count <= Block && fromEnd - from >= Block && toEnd - to >= Block) {
        unsigned char block[16];
        std::memcpy(block, from, sizeof block);
        std::memcpy(to, block, sizeof block);
    } else {
        std::memcpy(to, from, static_cast<size_t>(count) * sizeof(Char));
    }
    return to + count;
}
}  // namespace detail

template <class Char, class S>
KTStringT<Char, S>& RemoveFirst(KTStringT<Char, S>& s, int32_t count, bool inUnits) {
    if (count < 1) return s;
    int32_t n = s.Length();
    int32_t from = detail::ToUnits(s.Data(), count, inUnits);
    if (from >= n) return Mid(s, 0, true, 0);
    detail::KeepFrom(s, from, n);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& KeepLast(KTStringT<Char, S>& s, int32_t count, bool inUnits) {
    if (count < 0) return Mid(s, 0, true, 0);
    const Char* d = s.Data();
    int32_t n = s.Length();
    int32_t from = n;
    if (std::is_same_v<Char, char> && !inUnits) {
        // Count back from the end character by character.
        const char* p = reinterpret_cast<const char*>(d) + n;
        for (int32_t i = 0; i < count && p > reinterpret_cast<const char*>(d); ++i)
            detail::DecodePrevious(reinterpret_cast<const char*>(d), p);
        from = static_cast<int32_t>(p - reinterpret_cast<const char*>(d));
    } else {
        from = count >= n ? 0 : n - count;
    }
    if (from <= 0) return s;
    detail::KeepFrom(s, from, n);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Replace(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> find,
                            NoDeduce<KTTextPiece<Char>> replacement, int32_t maxCount) {
    if (find.IsEmpty()) return s;
    if (maxCount <= 0) maxCount = ToEnd;
    // The search is the terminated one of Find: the text to find ends at its first zero unit, and nothing
    // behind a zero unit of the string is replaced. It is over before anything is written, so `find` may
    // point into the string.
    const Char* f = find.Data();
    const int32_t m = detail::UnitsBeforeZero(f, find.Length());
    const int32_t k = replacement.Length();
    const int32_t n = s.Length();
    if (m == 0) return s;
    const int32_t searched = detail::UnitsBeforeZero(s.Data(), n);
    detail::HitList found;
    detail::FindAllUnits(s.Data(), searched, f, m, maxCount, found);
    const std::span<const int32_t> hits = found.Hits();
    if (hits.empty()) return s;
    const int64_t newLength64 = n + static_cast<int64_t>(hits.size()) * (k - m);
    if (newLength64 > ToEnd) detail::ThrowTooLong();
    const auto newLength = static_cast<int32_t>(newLength64);
    if (std::max(newLength, n) > s.Capacity()) {
        // Too large for the block: the pieces go front to back into a new one, which the string takes.
        KTString<Char> result;
        result._AllocateStorage(newLength);
        const Char* text = s.Data();
        Char* out = result.Data();
        const Char* outEnd = out + newLength + 1;
        // A short replacement is read from a full block of its own, so that each copy of it is one move.
        Char padded[detail::ShortPiece<Char>] = {};
        const bool shortReplacement = k <= detail::ShortPiece<Char>;
        if (shortReplacement) std::copy(replacement.Data(), replacement.Data() + k, padded);
        const Char* r = shortReplacement ? padded : replacement.Data();
        const Char* rEnd = shortReplacement ? padded + detail::ShortPiece<Char> : r + k;
        int32_t from = 0;
        for (const int32_t at : hits) {
            out = detail::CopyPiece(out, outEnd, text + from, text + n, at - from);
            out = detail::CopyPiece(out, outEnd, r, rEnd, k);
            from = at + m;
        }
        detail::CopyPiece(out, outEnd, text + from, text + n, n - from);
        result._SetStringEnd(newLength);
        s = std::move(result);
        return s;
    }
    // In place: a replacement that points into the string, which the writes change, is copied first.
    const auto address = [](const Char* p) { return reinterpret_cast<uintptr_t>(p); };
    const bool inside =
        address(replacement.Data()) + static_cast<uintptr_t>(k) * sizeof(Char) > address(s.Data()) &&
        address(replacement.Data()) <= address(s.Data() + s.Capacity());
    KTString<Char> replacementCopy;
    if (inside) replacementCopy.Assign(replacement.Data(), k);
    const Char* r = inside ? replacementCopy.Data() : replacement.Data();
    s.MakeWritable();
    Char* d = s.Data();
    if (k == m) {
        for (const int32_t at : hits) std::memcpy(d + at, r, static_cast<size_t>(k) * sizeof(Char));
        return s;
    }
    if (k > m) {
        // Growing: move the pieces from the last to the first so that nothing is overwritten unread.
        int32_t tail = n;
        for (size_t i = hits.size(); i-- > 0;) {
            int32_t at = hits[i];
            int32_t shift = static_cast<int32_t>(i + 1) * (k - m);
            std::memmove(d + at + m + shift, d + at + m, static_cast<size_t>(tail - at - m) * sizeof(Char));
            std::memcpy(d + at + shift - (k - m), r, static_cast<size_t>(k) * sizeof(Char));
            tail = at;
        }
    } else {
        int32_t out = hits[0];
        for (size_t i = 0; i < hits.size(); ++i) {
            std::memcpy(d + out, r, static_cast<size_t>(k) * sizeof(Char));
            out += k;
            int32_t from = hits[i] + m;
            int32_t to = i + 1 < hits.size() ? hits[i + 1] : n;
            std::memmove(d + out, d + from, static_cast<size_t>(to - from) * sizeof(Char));
            out += to - from;
        }
    }
    s._SetStringEnd(newLength);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& ReplaceRange(KTStringT<Char, S>& s, int32_t start, int32_t count, bool inUnits,
                                 NoDeduce<KTTextPiece<Char>> replacement) {
    if (replacement.IsEmpty() || start < 0) return s;
    const Char* d = s.Data();
    int32_t n = s.Length();
    int32_t from = detail::StartUnits(d, n, start, inUnits);
    if (from < 0) return s;
    if (count < 0) count = 0;
    int32_t units = count == ToEnd ? n - from : std::min(detail::ToUnits(d + from, count, inUnits), n - from);
    KTString<Char> piece(replacement.Data(), replacement.Length());  // may point into the string itself
    int32_t k = piece.Length();
    if (static_cast<int64_t>(n) - units + k > ToEnd) detail::ThrowTooLong();
    int32_t newLength = n - units + k;
    if (k <= units) {
        s.MakeWritable();
        Char* w = s.Data();
        std::memcpy(w + from, piece.Data(), static_cast<size_t>(k) * sizeof(Char));
        std::memmove(w + from + k, w + from + units,
                     (static_cast<size_t>(n - from - units) + 1) * sizeof(Char));
        s._SetLengthCache(newLength);
        return s;
    }
    KTString<Char> rebuilt(KTCapacity{newLength});
    rebuilt.Append(d, from);
    rebuilt += piece;
    rebuilt.Append(d + from + units, n - from - units);
    s = rebuilt;
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& WriteRepeated(KTStringT<Char, S>& s, NoDeduce<KTTextPiece<Char>> text, int32_t count,
                                  int32_t position) {
    int32_t n = s.Length();
    if (text.IsEmpty() || count < 1 || position < 0 || position > n) return s;
    KTString<Char> piece(text.Data(), text.Length());
    int64_t end64 = position + static_cast<int64_t>(piece.Length()) * count;
    if (end64 > ToEnd) detail::ThrowTooLong();
    auto end = static_cast<int32_t>(end64);
    if (end > s.Capacity())
        s.Reserve(end, Preserve);
    else
        s.MakeWritable();
    Char* w = s.Data() + position;
    for (int32_t i = 0; i < count; ++i, w += piece.Length())
        std::memcpy(w, piece.Data(), static_cast<size_t>(piece.Length()) * sizeof(Char));
    s._SetStringEnd(end);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Reverse(KTStringT<Char, S>& s, int32_t start, bool startInUnits, int32_t end,
                            bool endInUnits) {
    if (startInUnits != endInUnits || end <= 0) return s;
    if (start < 0) start = 0;
    const Char* d = s.Data();
    int32_t n = s.Length();
    int32_t from = detail::ToUnits(d, start, startInUnits);
    if (from > n) return s;
    int32_t to = end == ToEnd ? n : std::min(detail::ToUnits(d, end, endInUnits), n);
    if (from >= to) return s;
    s.MakeWritable();
    detail::ReverseUnits(s.Data(), from, to);
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& Translate(KTStringT<Char, S>& s, const KTCodePointPattern<Char>& from,
                              const KTCodePointPattern<Char>& to) {
    int32_t n = s.Length();
    if (n == 0 || from.IsEmpty()) return s;
    auto indexIn = [&](uint32_t cp) -> int32_t {
        uint32_t c = from.Prepare(cp);
        if (from.IsSingle()) return from.CodePoints()[0] == c ? 0 : -1;
        for (int32_t i = 0; i < from.Count(); ++i)
            if (from.CodePoints()[i] == c) return i;
        return -1;
    };
    if constexpr (std::is_same_v<Char, char>) {
        // Replacements may need more bytes: work from a copy into room for 4 bytes per character.
        KTString<char> source(s.Data(), n);
        int32_t chars = UnitsToChars(source.Data(), n);
        int64_t room = static_cast<int64_t>(chars) * 4;
        if (room > ToEnd) detail::ThrowTooLong();
        if (room > s.Capacity())
            s.Reserve(static_cast<int32_t>(room), 0);
        else
            s.MakeWritable();
        char* out = s.Data();
        for (const char* p = source.Data(); *p != 0;) {
            uint32_t cp = DecodeUtf8(p);
            int32_t i = indexIn(cp);
            if (i < 0)
                EncodeUtf8(out, cp);
            else if (i < to.Count())
                EncodeUtf8(out, to.CodePoints()[i]);
        }
        s._SetStringEnd(out);
    } else {
        s.MakeWritable();
        Char* out = s.Data();
        for (const Char* p = s.Data(); *p != 0; ++p) {
            int32_t i = indexIn(*p);
            if (i < 0)
                *out++ = *p;
            else if (i < to.Count())
                *out++ = static_cast<Char>(to.CodePoints()[i]);
        }
        s._SetStringEnd(out);
    }
    return s;
}

template <class Char, class S, class R>
KTStringT<Char, R>& FirstLines(const KTStringT<Char, S>& s, KTStringT<Char, R>& result, int32_t maxLines,
                               bool skipEmpty, bool trim, const Char* suffix) {
    KTString<Char> lines;
    auto append = [&lines](const Char* text, int32_t count) {
        if (count < 0) count = static_cast<int32_t>(detail::TextLength(text));
        int64_t needed = int64_t{lines.Length()} + count;
        if (needed > lines.Capacity())
            lines.Reserve(static_cast<int32_t>(std::min<int64_t>(needed + 64, ToEnd)), Preserve);
        lines.Append(text, count);
    };
    auto isBlank = [](Char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const Char* p = s.Data();
    const Char* end = p + s.Length();
    const Char* pendingBreak = nullptr;
    int32_t pendingBreakUnits = 0;
    int32_t taken = 0;
    const Char* stop = p;
    while (p < end) {
        // The line: its content up to the break (CR, LF or CR LF), then the break itself.
        const Char* rawEnd = p;
        while (rawEnd < end && *rawEnd != '\r' && *rawEnd != '\n') ++rawEnd;
        const Char* next = rawEnd;
        if (next < end) {
            ++next;
            if (*rawEnd == '\r' && next < end && *next == '\n') ++next;
        }
        const Char* contentStart = p;
        const Char* contentEnd = rawEnd;
        if (trim) {
            while (contentStart < contentEnd && isBlank(*contentStart)) ++contentStart;
            while (contentEnd > contentStart && isBlank(contentEnd[-1])) --contentEnd;
        }
        if (skipEmpty && contentStart == contentEnd) {
            p = stop = next;
            continue;
        }
        if (taken >= maxLines) {
            stop = contentStart;
            break;
        }
        if (pendingBreakUnits > 0) append(pendingBreak, pendingBreakUnits);
        append(contentStart, static_cast<int32_t>(contentEnd - contentStart));
        ++taken;
        pendingBreak = rawEnd;
        pendingBreakUnits = static_cast<int32_t>(next - rawEnd);
        p = stop = next;
    }
    if (suffix != nullptr && suffix[0] != 0) {
        const Char* q = stop;
        while (q < end && isBlank(*q)) ++q;
        if (q < end) append(suffix, -1);
    }
    result = std::move(lines);
    return result;
}

}  // namespace kt
