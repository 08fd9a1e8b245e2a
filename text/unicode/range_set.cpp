#include "text/unicode/range_set.h"

#include "text/support/kt_assert.h"
#include "text/unicode/case_fold.h"

#include <algorithm>

namespace kt {

namespace {

// The first pair of ranges, one from each list, that share a code point; {null, null} when none do.
struct Overlap {
    const CodePointRange* a = nullptr;
    const CodePointRange* b = nullptr;
};

Overlap FindFirstOverlap(std::span<const CodePointRange> left, std::span<const CodePointRange> right) {
    auto a = left.begin();
    auto b = right.begin();
    while (a != left.end() && b != right.end()) {
        if (a->last < b->first) {
            ++a;
        } else if (a->first > b->last) {
            ++b;
        } else {
            return {&*a, &*b};
        }
    }
    return {};
}

#if defined(KT_ENABLE_ASSERTS)
// The set form every operation leaves behind: ranges in 0..MaxCodePoint with first <= last, sorted, neither
// overlapping nor touching.
bool IsSetForm(std::span<const CodePointRange> ranges) {
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].first > ranges[i].last || ranges[i].last > RangeSet::MaxCodePoint) return false;
        if (i > 0 && ranges[i - 1].last + 1 >= ranges[i].first) return false;
    }
    return true;
}
#endif

}  // namespace

void RangeSet::InsertCodePoints(CodePointRange range) {
    if (range.first > range.last) return;

    // lo: the first range that overlaps or touches range from below; hi: the first one entirely above it,
    // not touching. Everything in [lo, hi) merges with range.
    const uint32_t touchBelow = range.first == 0 ? 0 : range.first - 1;
    auto lo = std::lower_bound(ranges_.begin(), ranges_.end(), touchBelow,
                               [](const CodePointRange& r, uint32_t key) { return r.last < key; });
    auto hi = std::upper_bound(lo, ranges_.end(), range.last + 1,
                               [](uint32_t key, const CodePointRange& r) { return key < r.first; });
    if (lo == hi) {
        ranges_.insert(lo, range);
    } else {
        auto merged = hi - 1;
        merged->first = std::min(range.first, lo->first);
        merged->last = std::max(merged->last, range.last);
        ranges_.erase(lo, merged);
    }
    KT_ASSERT(IsSetForm(ranges_));
}

void RangeSet::InsertCaseVariants(CodePointRange range) {
    // Only code points with a row have variants, so walking the rows inside the range visits exactly the
    // code points whose lookup would succeed, in ascending order. Each row's code point is in the set
    // already; its variants go in as single points.
    auto row = std::lower_bound(CaseFoldTable.begin(), CaseFoldTable.end(), range.first,
                                [](const CaseFoldRow& r, uint32_t key) { return r.code < key; });
    for (; row != CaseFoldTable.end() && row->code <= range.last; ++row) {
        InsertChar(row->upper);
        InsertChar(row->lower);
        if (row->extra1 == 0) continue;
        InsertChar(row->extra1);
        if (row->extra2 != 0) InsertChar(row->extra2);
    }
}

void RangeSet::InsertAll(const RangeSet& other, bool caseInsensitive) {
    if (&other == this) {
        const RangeSet copy(other);
        InsertAll(copy, caseInsensitive);
        return;
    }
    for (const CodePointRange& range : other.ranges_) Insert(range, caseInsensitive);
    KT_ASSERT(IsSetForm(ranges_));
}

void RangeSet::AssignTable(const CodePointRange* table, size_t count) {
    if (count == 0) {
        ranges_.clear();
        return;
    }
    ranges_.assign(table, table + count);
    KT_ASSERT(IsSetForm(ranges_));  // the table must already be in set form
}

void RangeSet::Complement() {
    // Room for the final range first, so that no allocation can fail once the ranges are rewritten.
    ranges_.reserve(ranges_.size() + 1);

    // Each range becomes the gap in front of it; a first range starting at 0 has no gap and goes.
    uint32_t next = 0;
    for (size_t i = 0; i < ranges_.size();) {
        const CodePointRange range = ranges_[i];
        if (next < range.first) {
            ranges_[i++] = {next, range.first - 1};
        } else {
            ranges_.erase(ranges_.begin() + static_cast<ptrdiff_t>(i));
        }
        next = range.last + 1;
    }
    if (next <= MaxCodePoint) Insert({next, MaxCodePoint});
    KT_ASSERT(IsSetForm(ranges_));
}

void RangeSet::Subtract(const RangeSet& other) {
    if (&other == this) {
        ranges_.clear();
        return;
    }
    size_t a = 0;
    size_t b = 0;
    while (a < ranges_.size() && b < other.ranges_.size()) {
        const CodePointRange mine = ranges_[a];
        const CodePointRange cut = other.ranges_[b];
        if (mine.last < cut.first) {
            ++a;
        } else if (mine.first > cut.last) {
            ++b;
        } else if (mine.first < cut.first && mine.last <= cut.last) {
            ranges_[a++].last = cut.first - 1;
        } else if (mine.first >= cut.first && mine.last > cut.last) {
            ranges_[a].first = cut.last + 1;
            ++b;
        } else if (mine.first < cut.first) {
            // cut lies strictly inside: split. The insertion goes first so that a failing allocation
            // leaves the set unchanged at this step.
            ranges_.insert(ranges_.begin() + static_cast<ptrdiff_t>(a) + 1, {cut.last + 1, mine.last});
            ranges_[a++].last = cut.first - 1;
        } else {
            ranges_.erase(ranges_.begin() + static_cast<ptrdiff_t>(a));
        }
    }
    KT_ASSERT(IsSetForm(ranges_));
}

uint32_t RangeSet::FirstCommon(const RangeSet& other) const noexcept {
    const Overlap overlap = FindFirstOverlap(ranges_, other.ranges_);
    if (overlap.a == nullptr) return NoCodePoint;
    return std::max(overlap.a->first, overlap.b->first);
}

uint32_t RangeSet::PickCommon(const RangeSet& other, uint32_t n) const noexcept {
    const Overlap overlap = FindFirstOverlap(ranges_, other.ranges_);
    if (overlap.a == nullptr) return NoCodePoint;
    const CodePointRange& a = *overlap.a;
    const CodePointRange& b = *overlap.b;
    const uint32_t start = std::max(a.first, b.first);
    const CodePointRange& later = a.first <= b.first ? b : a;
    const uint32_t width = later.last == later.first ? 1 : later.last - later.first;
    const uint32_t pick = start + n % width;
    return pick < a.last && pick < b.last ? pick : start;
}

}  // namespace kt
