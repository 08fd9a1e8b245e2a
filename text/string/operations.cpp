#include "text/string/operations.h"

#include "text/string/detail/operations_detail.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/platform.h"
#include "text/unicode/case_fold.h"

namespace kt::detail {

namespace {

template <class Char>
const Char* FindUnit(const Char* p, const Char* end, Char unit) {
    if constexpr (std::is_same_v<Char, char>)
        return static_cast<const char*>(std::memchr(p, unit, static_cast<size_t>(end - p)));
    else
        return std::char_traits<Char>::find(p, static_cast<size_t>(end - p), unit);
}

// 16 bytes of units as one value: GCC and Clang turn the operations on it into SSE2 instructions on x86 and
// into plain code elsewhere. A comparison gives a lane of all ones where it holds.
template <class Char>
using LaneUnit = std::conditional_t<sizeof(Char) == 1, uint8_t, uint16_t>;
using ByteBlock = uint8_t __attribute__((vector_size(16)));
using UnitPairBlock = uint16_t __attribute__((vector_size(16)));
template <class Char>
using UnitBlock = std::conditional_t<sizeof(Char) == 1, ByteBlock, UnitPairBlock>;

template <class Char>
UnitBlock<Char> LoadBlock(const Char* p) {
    UnitBlock<Char> block;
    std::memcpy(&block, p, sizeof block);
    return block;
}

// Bit i set where lane i of a comparison holds.
template <class Lanes>
uint32_t LaneMask(Lanes lanes) {
    constexpr int LaneCount = sizeof(Lanes) / sizeof(lanes[0]);
#ifdef __SSE2__
    __m128i bytes;
    std::memcpy(&bytes, &lanes, sizeof bytes);
    if constexpr (LaneCount == 8) bytes = _mm_packs_epi16(bytes, _mm_setzero_si128());  // a byte per lane
    return static_cast<uint32_t>(_mm_movemask_epi8(bytes));
#else
    uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    if ((halves[0] | halves[1]) == 0) return 0;  // the usual case: no lane holds
    uint32_t mask = 0;
    for (int i = 0; i < LaneCount; ++i) mask |= static_cast<uint32_t>(lanes[i] != 0) << i;
    return mask;
#endif
}

// The first zero unit in [p, end), or null. The 16-bit width tests 16 units at a time, then finds the unit
// in the block that holds one.
template <class Char>
const Char* FindZero(const Char* p, const Char* end) {
    if constexpr (std::is_same_v<Char, char16_t>)
        for (; end - p >= 16; p += 16)
            if (LaneMask((LoadBlock(p) == 0) | (LoadBlock(p + 8) == 0)) != 0) break;
    return FindUnit(p, end, Char(0));
}

// Knuth-Morris-Pratt from `from` on: linear in the worst case, used once the quick scan has done
// more comparisons than the text is long.
template <class Char>
int32_t FindKmp(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t from) {
    std::vector<int32_t> border(static_cast<size_t>(m) + 1);
    border[0] = -1;
    for (int32_t i = 0, k = -1; i < m;) {
        while (k >= 0 && needle[k] != needle[i]) k = border[static_cast<size_t>(k)];
        border[static_cast<size_t>(++i)] = ++k;
    }
    for (int32_t i = from, k = 0; i < n;) {
        while (k >= 0 && needle[k] != hay[i]) k = border[static_cast<size_t>(k)];
        ++i;
        if (++k == m) return i - m;
    }
    return -1;
}

template <class Char>
bool IsInSet(KTTextPiece<Char> set, uint32_t cp) {
    const Char* p = set.Data();
    const Char* end = p + set.Length();
    if constexpr (std::is_same_v<Char, char>) {
        if (cp < 0x80) return cp != 0 && FindUnit(p, end, static_cast<char>(cp)) != nullptr;
        while (p < end && *p != 0)
            if (DecodeUtf8(p) == cp) return true;
        return false;
    } else {
        return cp != 0 && FindUnit(p, end, static_cast<Char>(cp)) != nullptr;
    }
}

}  // namespace

namespace {

// The search for one needle in one text, set up once for any number of searches in it: the quick scan
// charges its comparisons to a budget of the text's length twice over, shared by all of them, and hands
// over to Knuth-Morris-Pratt once it is spent, so that finding every occurrence stays linear.
template <class Char>
class UnitSearch {
  public:
    // Requires 0 < m <= n.
    UnitSearch(const Char* hay, int32_t n, const Char* needle, int32_t m)
        : hay_(hay),
          n_(n),
          needle_(needle),
          m_(m),
          end_(hay + n - m + 1),
          budget_(static_cast<int64_t>(n) * 2 + 64) {}

    // The first occurrence at or after `from`, or -1.
    int32_t Next(int32_t from) {
        int32_t hit = -1;
        ForEach(from, [&hit](int32_t at) {
            hit = at;
            return false;
        });
        return hit;
    }

    // Calls onHit with each occurrence at or after `from` that does not overlap the one before, until it
    // returns false.
    template <class OnHit>
    void ForEach(int32_t from, OnHit onHit) {
        if (from < 0 || from > n_ - m_) return;
        const Char* p = hay_ + from;
        if (m_ > 1) {
            // A block of starts at once: only those whose first and last units both match are candidates,
            // so that a needle whose first unit is common in the text (a letter in prose) still goes 16
            // bytes a step. After a hit the block's candidates before its end are dropped.
            using Block = UnitBlock<Char>;
            constexpr int32_t Lanes = sizeof(Block) / sizeof(Char);
            const auto first = static_cast<LaneUnit<Char>>(needle_[0]);
            const auto last = static_cast<LaneUnit<Char>>(needle_[m_ - 1]);
            // The last starts, fewer than a block, are those of the block that ends with them, less the
            // starts before them, which were tried already.
            for (const bool whole = end_ - hay_ >= Lanes; whole && p < end_;) {
                const Char* const block = end_ - p >= Lanes ? p : end_ - Lanes;
                const Char* next = block + Lanes;
                const uint32_t both =
                    LaneMask((LoadBlock(block) == first) & (LoadBlock(block + m_ - 1) == last));
                for (uint32_t candidates = both & ~0u << (p - block); candidates != 0;) {
                    const int32_t found = TryAt(block + std::countr_zero(candidates));
                    if (found == Continue) {
                        candidates &= candidates - 1;
                        continue;
                    }
                    if (found < 0 || !onHit(found)) return;
                    const auto behind = static_cast<int32_t>(hay_ + found + m_ - block);  // > 0
                    if (behind >= Lanes) {
                        next = hay_ + found + m_;
                        break;
                    }
                    candidates &= ~0u << behind;
                }
                p = next;
            }
        }
        while (p < end_) {
            p = FindUnit(p, end_, needle_[0]);
            if (p == nullptr) return;
            const int32_t found = TryAt(p);
            if (found == Continue) {
                ++p;
                continue;
            }
            if (found < 0 || !onHit(found)) return;
            p = hay_ + found + m_;
        }
    }

  private:
    static constexpr int32_t Continue = -2;

    // Compares the candidate at q unit by unit and charges the budget: the match, the linear search's
    // answer once the budget is spent, or Continue.
    int32_t TryAt(const Char* q) {
        int32_t k = 1;
        while (k < m_ && q[k] == needle_[k]) ++k;
        if (k == m_) return static_cast<int32_t>(q - hay_);
        budget_ -= k;
        return budget_ < 0 ? FindKmp(hay_, n_, needle_, m_, static_cast<int32_t>(q - hay_) + 1) : Continue;
    }

    const Char* hay_;
    int32_t n_;
    const Char* needle_;
    int32_t m_;
    const Char* end_;  // last possible start + 1
    int64_t budget_;
};

}  // namespace

template <class Char>
int32_t FindUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t from) {
    if (m <= 0 || from < 0 || from > n || m > n - from) return -1;
    return UnitSearch<Char>(hay, n, needle, m).Next(from);
}

template <class Char>
void FindAllUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t maxCount,
                  HitList& hits) {
    if (m <= 0 || m > n || maxCount <= 0) return;
    // Hits gather in a local batch, whose count the compiler keeps in a register: stores into the list
    // itself could alias its count and would reload it at every hit.
    constexpr int32_t BatchSize = 256;
    int32_t batch[BatchSize];
    int32_t inBatch = 0;
    int32_t wanted = maxCount;
    UnitSearch<Char>(hay, n, needle, m).ForEach(0, [&](int32_t at) {
        batch[inBatch++] = at;
        if (inBatch == BatchSize) {
            hits.Append(batch, BatchSize);
            inBatch = 0;
        }
        return --wanted > 0;
    });
    hits.Append(batch, inBatch);
}

template <class Char>
int32_t UnitsBeforeZero(const Char* text, int32_t n) {
    const Char* zero = n > 0 ? FindZero(text, text + n) : nullptr;
    return zero ? static_cast<int32_t>(zero - text) : std::max(n, 0);
}

// The counted search, then one scan of what lies before the hit: the needle holds no zero, so a hit lies
// behind a zero exactly when one comes between start and hit. (Checking at every candidate of the quick
// scan costs more: it stops every few units on text.)
template <class Char>
int32_t FindTerminatedUnits(const Char* hay, int32_t n, const Char* needle, int32_t m, int32_t from) {
    int32_t hit = FindUnits(hay, n, needle, UnitsBeforeZero(needle, m), from);
    return hit < 0 || FindZero(hay + from, hay + hit) != nullptr ? -1 : hit;
}

template <class Char>
int32_t FindCodePointUnits(const Char* text, int32_t n, uint32_t cp, int32_t from) {
    if (cp == 0 || from < 0 || from > n) return -1;
    const Char* end = text + n;
    if (std::is_same_v<Char, char16_t> || cp < 0x80) {
        if (std::is_same_v<Char, char16_t> && cp > 0xFFFF) return -1;
        const Char* hit = FindUnit(text + from, end, static_cast<Char>(cp));
        return hit && FindZero(text + from, hit) == nullptr ? static_cast<int32_t>(hit - text) : -1;
    }
    for (const Char* p = text + from; p < end && *p != 0;) {
        const Char* start = p;
        if (NextCharacter(p) == cp) return static_cast<int32_t>(start - text);
    }
    return -1;
}

template <class Char>
int32_t FindNoCaseUnits(const Char* text, int32_t n, KTTextPiece<Char> pattern, int32_t from) {
    if (pattern.IsEmpty() || from < 0 || from > n) return -1;
    KTCodePointPattern<Char> folded(pattern, true);
    const uint32_t* want = folded.CodePoints();
    const Char* end = text + n;
    for (const Char* p = text + from; p < end && *p != 0;) {
        const Char* q = p;
        int32_t i = 0;
        while (want[i] != 0 && q < end && *q != 0 && folded.Prepare(NextCharacter(q)) == want[i]) ++i;
        if (want[i] == 0) return static_cast<int32_t>(p - text);
        NextCharacter(p);
    }
    return -1;
}

template <class Char>
int32_t FindSetUnits(const Char* text, int32_t n, KTTextPiece<Char> set, int32_t from, bool wantInSet) {
    if (set.IsEmpty() || from < 0 || from > n) return -1;
    const Char* end = text + n;
    for (const Char* p = text + from; p < end && *p != 0;) {
        const Char* start = p;
        if (IsInSet(set, NextCharacter(p)) == wantInSet) return static_cast<int32_t>(start - text);
    }
    return -1;
}

template <class Char>
int32_t ReverseFindSetUnits(const Char* text, int32_t end, KTTextPiece<Char> set, bool wantInSet) {
    if (set.IsEmpty() || end <= 0) return -1;
    const Char* p = text + end;
    while (p > text) {
        uint32_t cp;
        if constexpr (std::is_same_v<Char, char>)
            cp = DecodePrevious(text, p);
        else
            cp = *--p;
        if (IsInSet(set, cp) == wantInSet) return static_cast<int32_t>(p - text);
    }
    return -1;
}

uint32_t DecodePrevious(const char* start, const char*& p) {
    uint32_t bits = 0;
    int shift = 0;
    int continuation = 0;
    auto byte = static_cast<unsigned char>(*--p);
    if (byte < 0x80) return byte;
    while ((byte & 0xC0) == 0x80 && p > start) {
        if (shift < 32) bits |= static_cast<uint32_t>(byte & 0x3F) << shift;
        shift += 6;
        ++continuation;
        byte = static_cast<unsigned char>(*--p);
    }
    uint32_t leadBits = continuation < 6 ? byte & (0x3Fu >> continuation) : 0;
    return shift < 32 ? (leadBits << shift) | bits : bits;
}

template <class Char>
bool IsBlank(const Char* text, bool withNoBreakSpace) {
    if (text == nullptr) return true;
    while (*text != 0) {
        uint32_t cp = NextCharacter(text);
        if (!IsWhitespace(cp, withNoBreakSpace)) return false;
    }
    return true;
}

template <class Char>
int32_t ParseInteger(const Char*& text, Char separator) {
    if (text == nullptr) return 0;
    uint32_t sign = 1;
    if (*text == '+' || *text == '-') sign = *text++ == '-' ? ~0u : 1u;
    uint32_t value = 0;  // unsigned: an overflowing value wraps instead of being undefined
    for (;; ++text) {
        Char c = *text;
        if (c >= '0' && c <= '9')
            value = value * 10 + static_cast<uint32_t>(c - '0');
        else if (c == 0 || separator == 0 || c != separator)
            break;
    }
    return static_cast<int32_t>(value * sign);
}

template <class Char>
void ReverseUnits(Char* data, int32_t start, int32_t end) {
    std::reverse(data + start, data + end);
    if constexpr (std::is_same_v<Char, char>) {
        // The sequences now stand continuation bytes first: turn each one around again.
        for (int32_t i = start; i < end;) {
            int32_t j = i;
            while (j < end && (static_cast<unsigned char>(data[j]) & 0xC0) == 0x80) ++j;
            if (j < end && j > i && static_cast<unsigned char>(data[j]) >= 0xC0) {
                std::reverse(data + i, data + j + 1);
                i = j + 1;
            } else {
                i = j == i ? i + 1 : j;
            }
        }
    }
}

void MapCaseSimple8(char* data, int32_t length, bool upper) {
    char* end = data + length;
    for (char* p = data; p < end && *p != 0;) {
        const char* q = p;
        uint32_t cp = DecodeUtf8(q);
        auto size = static_cast<int32_t>(q - p);
        uint32_t mapped = upper ? ToUpperCodePoint(cp) : ToLowerCodePoint(cp);
        if (mapped != cp && Utf8Length(mapped) == size) {
            char* out = p;
            EncodeUtf8(out, mapped);
        }
        p += size;
    }
}

template <class Char>
Char* WriteCharacter(Char* out, uint32_t cp, ptrdiff_t sourceUnits, const Char* source) {
    if constexpr (std::is_same_v<Char, char>) {
        (void)sourceUnits;
        (void)source;
        EncodeUtf8(out, cp);  // never longer than the sequence it came from, except for invalid input
        return out;
    } else {
        (void)cp;
        std::memmove(out, source, static_cast<size_t>(sourceUnits) * sizeof(Char));
        return out + sourceUnits;
    }
}

template <class Char>
int32_t RemoveCharactersUnits(Char* data, int32_t length, const KTCodePointPattern<Char>& set) {
    if (set.IsEmpty()) return length;
    Char* end = data + length;
    Char* out = nullptr;  // set at the first removal
    for (Char* p = data; p < end && *p != 0;) {
        const Char* q = p;
        uint32_t cp = NextCharacter(q);
        bool removed = set.Contains(set.Prepare(cp));
        if (removed && out == nullptr) out = p;
        if (!removed && out != nullptr) out = WriteCharacter(out, cp, q - p, p);
        p += q - p;
    }
    return out ? static_cast<int32_t>(out - data) : length;
}

template <class Char>
int32_t RemoveEnclosedUnits(Char* data, int32_t length, const KTCodePointPattern<Char>& opening,
                            const KTCodePointPattern<Char>& closing, uint32_t escape, bool flat) {
    if (opening.IsEmpty() || closing.IsEmpty() || length == 0) return length;
    bool samePatterns =
        opening.Count() == closing.Count() &&
        std::equal(opening.CodePoints(), opening.CodePoints() + opening.Count(), closing.CodePoints());
    // Whether `pattern` matches at `p`; on a match `next` is set behind it.
    auto matches = [&](const KTCodePointPattern<Char>& pattern, const Char* p, const Char* end,
                       const Char*& next) {
        const Char* q = p;
        const uint32_t* want = pattern.CodePoints();
        for (int32_t i = 0; want[i] != 0; ++i) {
            if (q >= end || *q == 0 || pattern.Prepare(NextCharacter(q)) != want[i]) return false;
        }
        next = q;
        return true;
    };
    const Char* end = data + length;
    Char* out = data;
    int32_t depth = 0;
    // Kept characters are written as RemoveCharacters writes them (8-bit: re-encoded, so a malformed
    // sequence comes out as the code point it decodes to); the output never overtakes the input.
    auto keep = [&](uint32_t cp, const Char* from, const Char* to) {
        out = WriteCharacter(out, cp, to - from, from);
    };
    for (const Char* p = data; p < end && *p != 0;) {
        const Char* q = p;
        uint32_t cp = NextCharacter(q);
        const Char* next = nullptr;
        if (escape != 0 && cp == escape) {
            const Char* after = q;
            uint32_t escaped = after < end && *after != 0 ? NextCharacter(after) : 0;
            if (depth == 0) {
                keep(cp, p, q);
                if (after != q) keep(escaped, q, after);
            }
            p = after;
        } else if (matches(opening, p, end, next)) {
            if (samePatterns)
                depth = depth == 0 ? 1 : 0;
            else if (!flat)
                ++depth;
            else if (depth == 0)
                depth = 1;
            p = next;
        } else if (depth == 0) {
            keep(cp, p, q);
            p = q;
        } else if (matches(closing, p, end, next)) {
            --depth;
            p = next;
        } else {
            p = q;
        }
    }
    return static_cast<int32_t>(out - data);
}

#define KT_INSTANTIATE(Char)                                                                   \
    template int32_t FindUnits(const Char*, int32_t, const Char*, int32_t, int32_t);           \
    template void FindAllUnits(const Char*, int32_t, const Char*, int32_t, int32_t, HitList&); \
    template int32_t UnitsBeforeZero(const Char*, int32_t);                                    \
    template int32_t FindTerminatedUnits(const Char*, int32_t, const Char*, int32_t, int32_t); \
    template int32_t FindCodePointUnits(const Char*, int32_t, uint32_t, int32_t);              \
    template int32_t FindNoCaseUnits(const Char*, int32_t, KTTextPiece<Char>, int32_t);        \
    template int32_t FindSetUnits(const Char*, int32_t, KTTextPiece<Char>, int32_t, bool);     \
    template int32_t ReverseFindSetUnits(const Char*, int32_t, KTTextPiece<Char>, bool);       \
    template bool IsBlank(const Char*, bool);                                                  \
    template int32_t ParseInteger(const Char*&, Char);                                         \
    template void ReverseUnits(Char*, int32_t, int32_t);                                       \
    template int32_t RemoveCharactersUnits(Char*, int32_t, const KTCodePointPattern<Char>&);   \
    template int32_t RemoveEnclosedUnits(Char*, int32_t, const KTCodePointPattern<Char>&,      \
                                         const KTCodePointPattern<Char>&, uint32_t, bool);
KT_INSTANTIATE(char)
KT_INSTANTIATE(char16_t)
#undef KT_INSTANTIATE

}  // namespace kt::detail

namespace kt {

int CompareNoCase(KTTextPiece<char> a, KTTextPiece<char> b) {
    const char* p = a.Data();
    const char* q = b.Data();
    const char* pEnd = p + a.Length();
    const char* qEnd = q + b.Length();
    for (;;) {
        const bool firstEnds = p >= pEnd || *p == 0;
        const bool secondEnds = q >= qEnd || *q == 0;
        if (firstEnds) return secondEnds ? 0 : -1;
        if (secondEnds) return 1;
        uint32_t x = ToLowerCodePoint(DecodeUtf8(p, pEnd));
        uint32_t y = ToLowerCodePoint(DecodeUtf8(q, qEnd));
        if (x != y) return x < y ? -1 : 1;
    }
}

}  // namespace kt
