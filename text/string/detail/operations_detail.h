// Internals of text/string/operations.h: the width-generic algorithms over raw units and the helpers that
// turn the public operations' positions into unit offsets. Not part of the library's interface.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <type_traits>

#include "text/string/code_point_pattern.h"
#include "text/string/kt_string.h"
#include "text/string/text_piece.h"
#include "text/string/utf8.h"

namespace kt::detail {

// Width-generic algorithms over raw units (operations.cpp); offsets and lengths in units.
template <class Char>
int32_t FindUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t from);
// Offsets of occurrences, in order: the first few in place, so that a short text needs no allocation.
class HitList {
  public:
    HitList() = default;
    HitList(const HitList&) = delete;
    HitList& operator=(const HitList&) = delete;

    void Append(const int32_t* hits, int32_t count) {
        if (count > capacity_ - count_) Grow(count);
        std::copy(hits, hits + count, hits_ + count_);
        count_ += count;
    }
    [[nodiscard]] int32_t Size() const { return count_; }
    [[nodiscard]] std::span<const int32_t> Hits() const { return {hits_, static_cast<size_t>(count_)}; }

  private:
    static constexpr int32_t InPlace = 32;

    // A text with this many hits likely has many more: the room grows at least fourfold.
    void Grow(int32_t count) {
        const int64_t wanted = std::max<int64_t>(int64_t{capacity_} * 4, int64_t{count_} + count);
        const auto capacity = static_cast<int32_t>(std::min<int64_t>(wanted, INT32_MAX));
        auto more = std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(capacity));
        std::copy(hits_, hits_ + count_, more.get());
        more_ = std::move(more);
        hits_ = more_.get();
        capacity_ = capacity;
    }

    int32_t inPlace_[InPlace];
    int32_t* hits_ = inPlace_;
    int32_t count_ = 0;
    int32_t capacity_ = InPlace;
    std::unique_ptr<int32_t[]> more_;
};

// Adds the offsets of the first maxCount non-overlapping occurrences to `hits`, with one set-up of the
// search for all of them.
template <class Char>
void FindAllUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t maxCount, HitList& hits);
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

template <class Char>
const Char* DefaultTrimSet() {
    if constexpr (std::is_same_v<Char, char>)
        return " \t\r\n";
    else
        return u" \t\r\n";
}

// The set of the one-character trims: the code point's units, terminated.
template <class Char>
struct OneCharacterSet {
    explicit OneCharacterSet(char32_t c) { EncodeCodePoint(units, c); }
    Char units[5] = {};
};

}  // namespace kt::detail
