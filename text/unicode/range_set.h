// Sets of Unicode code points kept as sorted lists of inclusive ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kt {

// An inclusive range of code points.
struct CodePointRange {
    uint32_t first;
    uint32_t last;

    friend constexpr bool operator==(const CodePointRange&, const CodePointRange&) = default;
};

// A set of code points in 0..0x10FFFF. After every operation except AssignTable the ranges are sorted,
// disjoint and do not touch (a.last + 1 < b.first for neighbours), so each set has exactly one
// representation and two sets are equal exactly when their range lists are.
//
// The case flag of the insertions adds, for each inserted code point that has a CaseFoldTable row, the
// row's upper and lower forms and its listed further case-class members (extra1, extra2); not its fold.
class RangeSet {
  public:
    static constexpr uint32_t MaxCodePoint = 0x10FFFF;
    // What FirstCommon and PickCommon return for sets that share no code point.
    static constexpr uint32_t NoCodePoint = 0xFFFFFFFF;

    constexpr RangeSet() noexcept = default;

    // Adds the range (nothing when first > last); with the flag also the case variants of its code points.
    // Inline, so that a caller that never asks for the variants does not link the case table.
    void Insert(CodePointRange range, bool caseInsensitive = false) {
        InsertCodePoints(range);
        if (caseInsensitive) InsertCaseVariants(range);
    }
    void InsertChar(uint32_t codePoint, bool caseInsensitive = false) {
        Insert({codePoint, codePoint}, caseInsensitive);
    }
    void InsertRange(uint32_t first, uint32_t last, bool caseInsensitive = false) {
        Insert({first, last}, caseInsensitive);
    }
    // Inserts each range of other in ascending order.
    void InsertAll(const RangeSet& other, bool caseInsensitive = false);

    // Replaces the contents by a verbatim copy of table[0..count), which must already be in set form.
    void AssignTable(const CodePointRange* table, size_t count);
    // Makes room for count ranges without reallocating (reserves exactly that many on an empty set).
    void Reserve(size_t count) { ranges_.reserve(count); }

    // Replaces the set by every code point of 0..0x10FFFF that is not in it.
    void Complement();
    // Removes every code point of other.
    void Subtract(const RangeSet& other);

    // The smallest code point in both sets, or NoCodePoint.
    [[nodiscard]] uint32_t FirstCommon(const RangeSet& other) const noexcept;
    // A code point of the first overlap of the two sets, chosen by n; NoCodePoint when they are disjoint.
    // With S the overlap's first code point and W the width (last - first, at least 1) of the range that
    // starts later, it is S + n % W when that lies below the last code point of both ranges, else S.
    [[nodiscard]] uint32_t PickCommon(const RangeSet& other, uint32_t n) const noexcept;

    // Binary search for the last range that starts at or before codePoint. The halving step has no
    // data-dependent branch (the compiler emits a conditional move), which matters for unpredictable input.
    [[nodiscard]] bool Contains(uint32_t codePoint) const noexcept {
        size_t count = ranges_.size();
        if (count == 0) return false;
        const CodePointRange* base = ranges_.data();
        while (count > 1) {
            const size_t half = count / 2;
            base = base[half].first <= codePoint ? base + half : base;
            count -= half;
        }
        return base->first <= codePoint && codePoint <= base->last;
    }
    [[nodiscard]] std::span<const CodePointRange> Ranges() const noexcept { return ranges_; }
    [[nodiscard]] bool IsEmpty() const noexcept { return ranges_.empty(); }
    void Clear() noexcept { ranges_.clear(); }

    friend bool operator==(const RangeSet&, const RangeSet&) = default;

  private:
    void InsertCodePoints(CodePointRange range);
    void InsertCaseVariants(CodePointRange range);

    std::vector<CodePointRange> ranges_;
};

}  // namespace kt
